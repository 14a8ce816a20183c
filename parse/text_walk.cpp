// text_walk.cpp: helpers that walk text character by character (paths, case, widths).
#include "parse/char_class.h"
#include "parse/strings.h"

#include "platform/platform.h"

static bool is_separator(char c) { return c == '/' || c == '\\' || c == ':'; }

const char* file_part(const char* path)
{
    const char* after = path;
    for (const char* p = path; *p != 0; p += char_width(p))
        if (is_separator(*p))
            after = p + 1;
    return after;
}

char* file_part(char* path) { return const_cast<char*>(file_part(static_cast<const char*>(path))); }

const char* extension_of(const char* path)
{
    const char* dot = nullptr;
    const char* p = file_part(path);
    for (; *p != 0; p += char_width(p))
        if (*p == '.')
            dot = p;
    return dot ? dot : p;
}

char* extension_of(char* path)
{
    return const_cast<char*>(extension_of(static_cast<const char*>(path)));
}

char* dir_part(char* dst, const char* path)
{
    const char* end = file_part(path);
    while (path < end)
        *dst++ = *path++;
    *dst = 0;
    return dst;
}

char* format_hex(char* dst, uint32_t value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        dst[i] = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    }
    return dst + (digits > 0 ? digits : 0);
}

// Replaces every byte `from` by `to`, stepping over double-byte characters when `whole` is set.
static void replace_bytes(char* text, char from, char to, bool whole)
{
    for (; *text != 0; text += whole ? char_width(text) : 1)
        if (*text == from)
            *text = to;
}

void to_forward_slashes(char* text) { replace_bytes(text, '\\', '/', true); }

// Byte by byte: a '/' (0x2F) is never the second half of a double-byte character anyway.
void to_backslashes(char* text) { replace_bytes(text, '/', '\\', false); }

// XORs 0x20 into every byte of the class, stepping over double-byte characters.
static void flip_case(char* text, uint8_t flags)
{
    for (; *text != 0; text += char_width(text))
        if (has_class(*text, flags))
            *text = static_cast<char>(*text ^ 0x20);
}

void to_upper(char* text) { flip_case(text, CC_LOWER); }

void to_lower(char* text) { flip_case(text, CC_UPPER); }

// Byte length of the last UTF-8 character: its continuation bytes and the lead byte before
// them, when that lead announces at least as many bytes; a stray byte counts alone.
static int last_utf8_width(const unsigned char* text, int length)
{
    int width = 1;
    while (width < 4 && width < length && (text[length - width] & 0xC0) == 0x80)
        ++width;
    unsigned char lead = text[length - width];
    int announced = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return announced >= width ? width : 1;
}

int last_char_width(const char* text)
{
    int length = 0;
    while (text[length] != 0)
        ++length;
    if (length == 0)
        return 0;
    if (text_is_utf8())
        return last_utf8_width(reinterpret_cast<const unsigned char*>(text), length);
    int width = 1;
    for (const char* p = text; *p != 0; p += width)
        width = char_width(p);
    return width;
}
