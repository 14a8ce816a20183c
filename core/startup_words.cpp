// startup_words.cpp: the usage, the version and scripts run by their name, as asked for by the
// first word of the shell's own command line.
#include "core/startup_words.h"

#include "console/output.h"
#include "core/builtins.h"
#include "core/run_line.h"
#include "exec/functions.h"
#include "parse/char_class.h"
#include "parse/read_word.h"
#include "parse/strings.h"

#include <cstring>

static const char* const USAGE_LINES[] = {
    "usage: vrel [-f] [-c] [command line]",
    "       vrel [-f] [-c] SCRIPT [ARGUMENTS]",
    "       vrel --help | -h | --version",
    "  -f            do not run the start-up line (eval ${VRELINIT-.\\ vrelinit.rc})",
    "  -c            marks the start of the command line to run; it may be left out",
    "  command line  is run as one command line, and the shell ends with its status",
    "                as exit code (command mode); without it the shell shows the",
    "                prompt and reads lines (interactive mode)",
    "  SCRIPT        a file that is no built-in, function or program: it runs as",
    "                source would, with the ARGUMENTS as $1 on",
    PLATFORM_HELP_WORD ? "  --help, -h, /?  show this text" : "  --help, -h    show this text",
    "  --version     show the version and the build",
    nullptr,
};

// Whether the text starts with the word, ended by a blank or the end.
static bool first_word_is(const char* text, const char* word)
{
    if (!word)
        return false;
    size_t length = std::strlen(word);
    return std::strncmp(text, word, length) == 0 &&
           static_cast<unsigned char>(text[length]) <= 0x20;
}

static void show_version()
{
    out_fmt("vrel %s for %s: ", VREL_VERSION, PLATFORM_BUILD);
    if (!PLATFORM_CODE_PAGES)
        out_str("text is UTF-8");
    else
        out_fmt("the UTF-8 code page is %sin force, text is in code page %u",
                text_is_utf8() ? "" : "not ", text_code_page);
    out_newline();
}

void answer_help_or_version(const char* rest)
{
    if (first_word_is(rest, "--version")) {
        show_version();
        sys_exit(0);
    }
    if (!first_word_is(rest, "--help") && !first_word_is(rest, "-h") &&
        !first_word_is(rest, PLATFORM_HELP_WORD))
        return;
    for (const char* const* line = USAGE_LINES; *line; ++line) {
        out_str(*line);
        out_newline();
    }
    sys_exit(0);
}

// The end of the first word of text as the word reader takes it, or null when reading it
// would do more than read: a $ expansion may read a key or set a variable, a backquote runs.
static const char* end_of_inert_word(const char* text)
{
    bool single = false, dual = false;
    for (const char* p = text; *p && *p != '\n'; p += char_width(p)) {
        if (!single && !dual && std::strchr(" \t#&;<>|", *p))
            return p;
        if (*p == '$' || *p == '`')
            return nullptr;
        if (*p == '\'')
            single = !single;
        else if (*p == '"' && !single)
            dual = !dual;
        else if (*p == '\\' && !single && p[1])
            ++p;
    }
    return text + std::strlen(text);
}

// Whether the first word of text names a script: a file, not a directory, that the system
// cannot start, and that no keyword, built-in or function takes the name of.
static bool names_script(const char* text, ShellContext* ctx)
{
    char word[1024];
    text = skip_blanks(text);
    const char* end = end_of_inert_word(text);
    if (!end || end == text)
        return false;
    read_word(word, sizeof word, text, ctx);
    if (ctx->word_cut || find_builtin(keyword_table, word) || func_find(ctx, word) ||
        find_builtin(builtin_table, word[0] == '=' ? word + 1 : word))
        return false;
    uint32_t attributes = sys_get_attributes(word);
    return attributes != ATTR_INVALID && !(attributes & ATTR_DIRECTORY) && !sys_is_program(word);
}

int32_t run_command_text(const char* text, ShellContext* ctx)
{
    if (!names_script(text, ctx))
        return run_line(text, ctx);
    // The longest line the shell runs, and the command in front of it.
    static char line[32768 + 8];
    copy_bounded(copy_end(line, "source "), text, sizeof line - 7);
    return run_line(line, ctx);
}
