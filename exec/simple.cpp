// simple.cpp: variables (set, export, unset) and the small built-ins.
#include "exec/simple.h"

#include "console/output.h"
#include "console/shown_text.h"
#include "parse/char_class.h"
#include "parse/read_word.h"
#include "parse/strings.h"
#include "parse/variables.h"

// Option numbers of `set` rewrite these bits; the others are the shell's own state.
constexpr uint32_t OPT_SETTABLE = OPT_NOEXIT | OPT_ECHO | OPT_TRACE;

constexpr int CTRL_KEY_MASK = 0x1F;

static void print_env_entry(const char* entry, void*)
{
    out_shown(entry);
    out_newline();
}

// True when the scanned name lost bytes to the name buffer; `after` is where scanning stopped.
static bool name_was_cut(const char* word, const char* after, const char* name)
{
    size_t span = static_cast<size_t>(after - word);
    if (word[0] == '{')
        span = span >= 2 ? span - 2 : 0;
    size_t kept = 0;
    while (name[kept])
        ++kept;
    return span > kept;
}

// One word of `set`: an assignment or an option number. False for anything else.
static bool apply_set_word(const char* word, ShellContext* ctx)
{
    char name[NAME_SIZE];
    const char* rest = scan_name(name, word);
    if (*rest == '=') {
        // A name too long for the buffer is refused rather than set under a shortened name.
        if (name_was_cut(word, rest, name))
            return false;
        sys_set_env(name, rest + 1);
        return true;
    }
    if (!has_class(name[0], CC_DIGIT))
        return false;
    ctx->options &= ~OPT_SETTABLE;
    ctx->options |= parse_decimal(name);
    return true;
}

int32_t builtin_set(char** words, ShellContext* ctx)
{
    if (!words[0]) {
        sys_for_each_env(print_env_entry, nullptr);
        return 0;
    }
    for (; *words; ++words)
        if (!apply_set_word(*words, ctx))
            return -1; // the words before it stay applied
    return 0;
}

int32_t builtin_unset(char** words, ShellContext*)
{
    for (; *words; ++words)
        sys_set_env(*words, nullptr);
    return 0;
}

static bool is_no_newline_switch(const char* word)
{
    return word[0] == '-' && word[1] == 'n' && word[2] == 0;
}

int32_t builtin_echo(char** words, ShellContext*)
{
    bool newline = true;
    // Only leading "-n" words are switches; once a word is printed, "-n" is text.
    for (; *words && is_no_newline_switch(*words); ++words)
        newline = false;
    for (char** word = words; *word; ++word) {
        if (word != words)
            out_str(" ");
        out_str(*word);
    }
    if (newline)
        out_newline();
    return 0;
}

// 1, not 0, on success; a failure is reported by line execution with `cd` as subject. $PWD
// shows the current directory in an expansion buffer, so a directory whose path does not fit
// there is left again at once: $PWD is never empty after a cd.
static int32_t change_directory(const char* target, ShellContext* ctx)
{
    char before[EXPANSION_SIZE];
    sys_get_current_directory(before, sizeof before);
    if (!sys_set_current_directory(target)) {
        // The system's reason, as for a program that could not start; never the code of an
        // earlier program, which would read as success.
        ctx->exit_code = sys_last_error();
        if (sys_path_too_long())
            out_error(target, ":path too long");
        return -1;
    }
    char after[EXPANSION_SIZE];
    if (sys_get_current_directory(after, sizeof after) != 0 || !before[0])
        return 1;
    sys_set_current_directory(before);
    out_error(target, ":path too long");
    return -1;
}

int32_t builtin_cd(char** words, ShellContext* ctx)
{
    char home[ENV_VALUE_SIZE];
    const char* target = words[0];
    if (!target) {
        if (read_env("HOME", home) != 0)
            return 0; // no HOME: nothing to do
        target = home;
    }
    return change_directory(target, ctx);
}

int32_t builtin_true(char** words, ShellContext*)
{
    // The number is the status, so `true 1` hands the control-flow built-ins a false.
    return words[0] ? static_cast<int32_t>(parse_decimal(words[0])) : 0;
}

int32_t builtin_colon(char**, ShellContext*) { return 0; }

// `drv` and `ps` share this handler: they accept anything and do nothing.
int32_t builtin_drv(char**, ShellContext*) { return 0; }

int32_t builtin_ctrlkey(char** words, ShellContext* ctx)
{
    // Pairs KEY ACTION; a last word without its partner is ignored.
    for (; words[0] && words[1]; words += 2) {
        uint32_t key = parse_decimal(words[0]) & CTRL_KEY_MASK;
        ctx->store->key_actions[key] = static_cast<uint8_t>(parse_decimal(words[1]));
    }
    return 0;
}
