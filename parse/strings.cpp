// strings.cpp: copying, appending, numbers and searches on NUL-terminated text.
#include "parse/strings.h"

#include "parse/char_class.h"

const char* skip_blanks(const char* text)
{
    // Every control byte counts as a blank, so stray line ends and tabs separate words alike.
    while (*text != 0 && static_cast<unsigned char>(*text) <= 0x20)
        ++text;
    return text;
}

char* skip_blanks(char* text)
{
    return const_cast<char*>(skip_blanks(static_cast<const char*>(text)));
}

char* copy_end(char* dst, const char* src)
{
    while ((*dst = *src++) != 0)
        ++dst;
    return dst;
}

char* append_end(char* dst, const char* src)
{
    while (*dst != 0)
        ++dst;
    return copy_end(dst, src);
}

char* copy_bounded(char* dst, const char* src, size_t size)
{
    if (size == 0)
        return dst;
    char* last = dst + size - 1;
    while (dst < last && *src != 0)
        *dst++ = *src++;
    *dst = 0;
    return dst;
}

char* format_unsigned(char* dst, uint32_t value)
{
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0)
        *dst++ = digits[--count];
    *dst = 0;
    return dst;
}

uint32_t parse_decimal(const char* text)
{
    uint32_t value = 0;
    for (; has_class(*text, CC_DIGIT); ++text)
        value = value * 10 + static_cast<uint32_t>(*text - '0');
    return value;
}

int char_index(const char* set, char c)
{
    if (c == 0)
        return 0;
    for (int i = 0; set[i] != 0; ++i)
        if (set[i] == c)
            return i + 1;
    return 0;
}

int prefix_of(const char* a, const char* b)
{
    for (; *a != 0; ++a, ++b)
        if (*a != *b)
            return static_cast<unsigned char>(*a);
    return 0;
}
