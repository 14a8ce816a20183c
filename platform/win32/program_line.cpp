// program_line.cpp: the command line a batch file is started with.
//
// Windows runs a .bat or .cmd file through cmd.exe, which reads the whole command line again
// by its own rules: & | < > ( ) ^ separate and redirect, %NAME% expands (between quotes too),
// and ! expands where delayed expansion is on. Handed the line as it is, an argument would
// run as a command. So the shell starts cmd.exe itself, without AutoRun commands (/d) and
// with delayed expansion off (/v:OFF), and writes each argument, cut from the line by the
// rules every other program uses, so that cmd.exe takes it as text: between double quotes
// (where only quotes and percent signs still mean something), a quote doubled (which keeps
// cmd.exe inside the quotes), and a percent sign followed by an expansion of the current
// directory's first zero characters, %cd:~,%, which is always empty and leaves no percent sign
// open to start a variable name. A line break would
// end the command whatever the quoting: such an argument is refused. /c takes the first and last
// quote of its line away, so the whole command stands in one more pair.
#include "program_line.h"

#include <cstring>
#include <windows.h>

static bool is_blank(char c) { return c == ' ' || c == '\t'; }

static bool ends_with_batch_extension(const char* name, size_t length)
{
    while (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' '))
        --length;
    if (length < 4 || name[length - 4] != '.')
        return false;
    char extension[4];
    for (int i = 0; i < 3; ++i)
        extension[i] = static_cast<char>(name[length - 3 + i] | 0x20);
    extension[3] = 0;
    return std::strcmp(extension, "bat") == 0 || std::strcmp(extension, "cmd") == 0;
}

// The program word: up to the next quote when it begins with one, else up to a blank.
static const char* program_end(const char* line, const char** name)
{
    if (*line == '"') {
        *name = line + 1;
        const char* close = std::strchr(line + 1, '"');
        return close ? close : line + std::strlen(line);
    }
    *name = line;
    while (*line && !is_blank(*line))
        ++line;
    return line;
}

bool names_batch_file(const char* line)
{
    const char* name = nullptr;
    const char* end = program_end(line, &name);
    return ends_with_batch_extension(name, static_cast<size_t>(end - name));
}

bool program_file_exists(const char* line)
{
    const char* name = nullptr;
    const char* end = program_end(line, &name);
    constexpr int NAME_UNITS = 1024;
    char narrow[NAME_UNITS];
    size_t length = static_cast<size_t>(end - name);
    if (length >= sizeof narrow)
        return true;
    std::memcpy(narrow, name, length);
    narrow[length] = 0;
    wchar_t wide[NAME_UNITS], found[NAME_UNITS];
    if (MultiByteToWideChar(CP_ACP, 0, narrow, -1, wide, NAME_UNITS) == 0)
        return true;
    if (std::strpbrk(narrow, "\\/:"))
        return GetFileAttributesW(wide) != INVALID_FILE_ATTRIBUTES;
    return SearchPathW(nullptr, wide, nullptr, NAME_UNITS, found, nullptr) != 0;
}

struct LineOut {
    char* pos;
    char* end;
    bool full;
    void put(char c)
    {
        if (end - pos < 2)
            full = true;
        else
            *pos++ = c;
    }
    void put_text(const char* text)
    {
        while (*text)
            put(*text++);
    }
};

// One argument, by the rules of Windows programs: blanks and tabs separate, double quotes
// group, 2n backslashes before a quote give n and the quote groups, 2n+1 give n and a literal
// quote; two quotes in a row inside a group give one literal quote and end the group.
static const char* take_argument(const char* at, LineOut* word)
{
    bool quoted = false;
    size_t backslashes = 0;
    while (*at && (quoted || !is_blank(*at))) {
        if (*at == '\\') {
            ++backslashes;
            word->put(*at++);
            continue;
        }
        if (*at == '"') {
            word->pos -= backslashes / 2;
            if (backslashes % 2 == 1) {
                word->pos[-1] = '"';
            } else if (quoted && at[1] == '"') {
                word->put('"');
                quoted = false;
                ++at;
            } else {
                quoted = !quoted;
            }
            backslashes = 0;
            ++at;
            continue;
        }
        backslashes = 0;
        word->put(*at++);
    }
    *word->pos = 0;
    return at;
}

// Bytes cmd.exe gives no meaning to outside quotes (any byte of a multi-byte character too).
static bool plain_byte(unsigned char c)
{
    return c >= 0x80 || (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') ||
           std::strchr("-_./\\:+@#$~'[]{}?*`", c) != nullptr;
}

// A percent sign as cmd.exe reads it back as one. On its command line cmd.exe keeps a percent
// sign that starts no name as it is, so "%%cd:~,%" is one; Wine's cmd.exe takes two as a pair
// there, as a batch file would, and needs "%%%cd:~,%" for the same single sign.
static const char* percent_for_cmd()
{
    static const char* const text = [] {
        HMODULE system = GetModuleHandleA("ntdll.dll");
        bool wine = system && GetProcAddress(system, "wine_get_version") != nullptr;
        return wine ? "%%%cd:~,%" : "%%cd:~,%";
    }();
    return text;
}

// Writes an argument for cmd.exe; false when it holds a byte that no quoting makes safe.
static bool put_for_cmd(LineOut* out, const char* text, bool always_quoted)
{
    bool quoted = always_quoted || *text == 0;
    for (const char* p = text; *p; ++p) {
        if (*p == '\r' || *p == '\n')
            return false;
        quoted = quoted || !plain_byte(static_cast<unsigned char>(*p));
    }
    if (quoted)
        out->put('"');
    for (; *text; ++text) {
        if (*text == '%')
            out->put_text(percent_for_cmd());
        else if (*text == '"')
            out->put_text("\"\"");
        else
            out->put(*text);
    }
    if (quoted)
        out->put('"');
    return true;
}

uint32_t make_batch_line(const char* line, char* out, size_t size)
{
    LineOut result = {out, out + size, false};
    result.put_text("cmd.exe /d /e:ON /v:OFF /c \"");
    const char* name = nullptr;
    const char* end = program_end(line, &name);
    char word[PROGRAM_LINE_SIZE];
    LineOut program = {word, word + sizeof word, false};
    for (const char* p = name; p < end; ++p)
        program.put(*p);
    *program.pos = 0;
    if (!put_for_cmd(&result, word, true))
        return ERROR_BAD_ARGUMENTS;
    const char* at = *end == '"' ? end + 1 : end;
    for (;;) {
        while (is_blank(*at))
            ++at;
        if (!*at)
            break;
        LineOut argument = {word, word + sizeof word, false};
        at = take_argument(at, &argument);
        result.put(' ');
        if (!put_for_cmd(&result, word, false))
            return ERROR_BAD_ARGUMENTS;
    }
    result.put('"');
    *result.pos = 0;
    return result.full ? ERROR_FILENAME_EXCED_RANGE : 0;
}
