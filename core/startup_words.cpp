// startup_words.cpp: the usage, the version and scripts run by their name, as asked for by the
// first word of the shell's own command line.
#include "core/startup_words.h"

#include "console/output.h"
#include "core/builtins.h"
#include "core/run_line.h"
#include "exec/functions.h"
#include "parse/char_class.h"
#include "parse/program_argument.h"
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

// Whether reading the first word of text does no more than read: a $ expansion may read a key
// or set a variable, a backquote runs a command.
static bool first_word_is_inert(const char* text)
{
    bool single = false, dual = false;
    for (const char* p = text; *p && *p != '\n'; p += char_width(p)) {
        if (!single && !dual && std::strchr(" \t#&;<>|", *p))
            return true;
        if (*p == '$' || *p == '`')
            return false;
        if (*p == '\'')
            single = !single;
        else if (*p == '"' && !single)
            dual = !dual;
        else if (*p == '\\' && !single && p[1])
            ++p; // the escaped byte counts for itself alone
    }
    return true;
}

// A file, not a directory, that the system cannot start as a program.
static bool is_script_file(const char* path)
{
    uint32_t attributes = sys_get_attributes(path);
    return attributes != ATTR_INVALID && !(attributes & ATTR_DIRECTORY) && !sys_is_program(path);
}

// A first word in double quotes read as Windows programs read their arguments, backslashes
// kept, as a file association writes a path: copied into path; the position behind it, or
// null.
static const char* read_quoted_path(const char* text, char* path, size_t size)
{
    const char* close = *text == '"' ? std::strchr(text + 1, '"') : nullptr;
    if (!PLATFORM_DOS_SEPARATORS || !close || static_cast<size_t>(close - text) > size ||
        static_cast<unsigned char>(close[1]) > 0x20)
        return nullptr;
    copy_bounded(path, text + 1, static_cast<size_t>(close - text));
    return close + 1;
}

// When the first word of text names a script, a file that no keyword, built-in or function
// takes the name of: its path in `script` and the position behind the word; otherwise null.
static const char* script_named_first(const char* text, char* script, size_t size,
                                      ShellContext* ctx)
{
    text = skip_blanks(text);
    if (*text == 0 || !first_word_is_inert(text))
        return nullptr;
    const char* end = read_word(script, size, text, ctx);
    if (ctx->word_cut || find_builtin(keyword_table, script) || func_find(ctx, script) ||
        find_builtin(builtin_table, script[0] == '=' ? script + 1 : script))
        return nullptr;
    if (is_script_file(script))
        return end;
    end = read_quoted_path(text, script, size);
    return end && is_script_file(script) ? end : nullptr;
}

// The longest line the shell runs, and the command in front of it.
constexpr size_t COMMAND_TEXT_SIZE = 32768 + 8;

// Writes each argument behind end as one word that reads back as exactly that argument, so
// that no byte of it acts as an operator or an expansion; false when they do not fit.
static bool append_exact_words(char* end, char* limit, char** words)
{
    for (; *words; ++words) {
        if (end == limit)
            return false;
        *end++ = ' ';
        end = quote_word(end, limit, *words);
        if (!end)
            return false;
    }
    *end = 0;
    return true;
}

// `source SCRIPT` and the rest of the text, or the arguments one by one where the system handed
// them over so (not after -c, whose words are a command line).
static int32_t run_script(const char* script, const char* text, const char* rest, bool marked,
                          ShellContext* ctx)
{
    static char line[COMMAND_TEXT_SIZE];
    char* limit = line + sizeof line - 1;
    char* end = quote_word(copy_end(line, "source "), limit, script);
    if (!end)
        return run_line(text, ctx);
    const char* start = skip_blanks(text);
    char** arguments = marked ? nullptr : sys_arguments_at(start);
    if (!arguments || rest != start + std::strlen(arguments[0])) {
        copy_bounded(end, rest, sizeof line - static_cast<size_t>(end - line));
        return run_line(line, ctx);
    }
    if (append_exact_words(end, limit, arguments + 1))
        return run_line(line, ctx);
    out_fmt_line("vrel:line too long");
    return -1;
}

int32_t run_command_text(const char* text, bool marked, ShellContext* ctx)
{
    // After -c, one double-quoted argument alone is the command line, as cmd.exe and
    // PowerShell users write it; a quoted name of a program or file stays a name.
    static char unquoted[COMMAND_TEXT_SIZE];
    if (marked && unquote_whole_argument(text, unquoted, sizeof unquoted) &&
        sys_get_attributes(unquoted) == ATTR_INVALID)
        text = unquoted;
    char script[1024];
    const char* rest = script_named_first(text, script, sizeof script, ctx);
    if (!rest)
        return run_line(text, ctx);
    return run_script(script, text, rest, marked, ctx);
}
