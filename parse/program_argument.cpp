// program_argument.cpp: a value quoted as one program argument, and one such argument unquoted.
#include "parse/program_argument.h"

#include "parse/char_class.h"
#include "parse/strings.h"

#include <cstring>

static bool is_blank_or_tab(char c) { return c == ' ' || c == '\t'; }

// A second byte of a double-byte character is never a backslash or a quote: the program reads
// the line as UTF-16, where it is part of its character.
static bool needs_quotes(const char* value)
{
    if (*value == 0)
        return true;
    for (const char* p = value; *p; p += char_width(p))
        if (is_blank_or_tab(*p) || *p == '"')
            return true;
    return false;
}

// How many backslashes stand at p.
static size_t backslash_run(const char* p)
{
    size_t count = 0;
    while (p[count] == '\\')
        ++count;
    return count;
}

// Bytes of the quoted form, its quotes included.
static size_t quoted_length(const char* value)
{
    size_t length = 2;
    for (const char* p = value; *p;) {
        size_t run = backslash_run(p);
        p += run;
        // Before a quote of the text or the closing quote every backslash is doubled.
        length += *p == '"' || *p == 0 ? 2 * run : run;
        if (*p == 0)
            break;
        int width = *p == '"' ? 1 : char_width(p);
        length += *p == '"' ? 2 : static_cast<size_t>(width);
        p += width;
    }
    return length;
}

static char* repeat_byte(char* out, char c, size_t count)
{
    std::memset(out, c, count);
    return out + count;
}

bool quote_argument(char* value, size_t size)
{
    if (!needs_quotes(value))
        return true;
    size_t length = std::strlen(value);
    size_t quoted = quoted_length(value);
    if (quoted >= size)
        return false;
    // The value moves to the end of the buffer and is read from there while the quoted form
    // grows from the start; the form of what is still unread is never shorter than it, so the
    // writing never reaches the reading.
    char* from = static_cast<char*>(std::memmove(value + size - 1 - length, value, length + 1));
    char* out = value;
    *out++ = '"';
    while (*from) {
        size_t run = backslash_run(from);
        from += run;
        out = repeat_byte(out, '\\', *from == '"' || *from == 0 ? 2 * run : run);
        if (*from == '"') {
            *out++ = '\\';
            *out++ = *from++;
        } else if (*from) {
            size_t width = static_cast<size_t>(char_width(from));
            std::memmove(out, from, width);
            out += width;
            from += width;
        }
    }
    *out++ = '"';
    *out = 0;
    return true;
}

bool unquote_whole_argument(const char* text, char* out, size_t size)
{
    const char* p = skip_blanks(text);
    if (*p++ != '"')
        return false;
    char* limit = out + size - 1;
    while (*p) {
        size_t run = backslash_run(p);
        p += run;
        size_t kept = *p == '"' ? run / 2 : run;
        bool closing = *p == '"' && run % 2 == 0;
        size_t width = *p == 0 || closing ? 0 : *p == '"' ? 1 : static_cast<size_t>(char_width(p));
        if (kept + width > static_cast<size_t>(limit - out))
            return false;
        out = repeat_byte(out, '\\', kept);
        std::memcpy(out, p, width);
        out += width;
        p += width;
        if (closing)
            break;
    }
    if (*p != '"' || *skip_blanks(p + 1) != 0)
        return false;
    *out = 0;
    return true;
}
