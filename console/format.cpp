// format.cpp: the bounded printf-style formatter behind out_fmt and its friends.
#include "console/output.h"

#include <cstdint>
#include <cstring>

// The text being built; bytes past the end are counted as cut and never written.
struct FormatOutput {
    char* dst;
    size_t size; // room for size - 1 bytes of text and the terminator
    size_t used;
};

struct FieldSpec {
    bool left;  // '-': pad on the right
    bool zeros; // '0': pad numbers with zeros after the sign
    int width;  // minimum width
};

static void put_byte(FormatOutput* out, char c)
{
    if (out->used + 1 < out->size)
        out->dst[out->used++] = c;
}

static void put_repeated(FormatOutput* out, char c, int count)
{
    for (int i = 0; i < count; ++i)
        put_byte(out, c);
}

// Writes a sign (or nothing) and a text padded to the field width.
static void put_field(FormatOutput* out, const FieldSpec* spec, char sign, const char* text,
                      size_t length)
{
    int used = static_cast<int>(length) + (sign ? 1 : 0);
    int pad = spec->width > used ? spec->width - used : 0;
    if (!spec->left && !spec->zeros)
        put_repeated(out, ' ', pad);
    if (sign)
        put_byte(out, sign);
    if (!spec->left && spec->zeros)
        put_repeated(out, '0', pad);
    for (size_t i = 0; i < length; ++i)
        put_byte(out, text[i]);
    if (spec->left)
        put_repeated(out, ' ', pad);
}

static void put_number(FormatOutput* out, FieldSpec spec, bool negative, uint64_t magnitude)
{
    char digits[24];
    char* p = digits + sizeof digits;
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    put_field(out, &spec, negative ? '-' : 0, p, static_cast<size_t>(digits + sizeof digits - p));
}

static void put_signed(FormatOutput* out, const FieldSpec* spec, int64_t value)
{
    // The magnitude is taken in unsigned arithmetic so that the smallest value stays exact.
    uint64_t magnitude = static_cast<uint64_t>(value);
    if (value < 0)
        magnitude = ~magnitude + 1;
    put_number(out, *spec, value < 0, magnitude);
}

// Reads the flags and width after '%'; returns the position of the length or conversion.
static const char* read_spec(const char* p, FieldSpec* spec)
{
    *spec = FieldSpec{false, false, 0};
    for (;; ++p) {
        if (*p == '-')
            spec->left = true;
        else if (*p == '0')
            spec->zeros = true;
        else
            break;
    }
    while (*p >= '0' && *p <= '9' && spec->width < 4096)
        spec->width = spec->width * 10 + (*p++ - '0');
    while (*p >= '0' && *p <= '9')
        ++p; // a width past the largest buffer changes nothing
    return p;
}

// Takes one value of the given length ('l' count) for an integer conversion.
static int64_t take_signed(va_list* values, int longs)
{
    if (longs >= 2)
        return va_arg(*values, long long);
    if (longs == 1)
        return va_arg(*values, long);
    return va_arg(*values, int);
}

static uint64_t take_unsigned(va_list* values, int longs)
{
    if (longs >= 2)
        return va_arg(*values, unsigned long long);
    if (longs == 1)
        return va_arg(*values, unsigned long);
    return va_arg(*values, unsigned int);
}

// Formats one conversion; returns the position after it.
static const char* put_conversion(FormatOutput* out, const char* p, va_list* values)
{
    const char* start = p - 1; // the '%'
    FieldSpec spec;
    p = read_spec(p, &spec);
    int longs = 0;
    while (*p == 'l' && longs < 2) {
        ++longs;
        ++p;
    }
    char letter = *p;
    if (letter == 'd') {
        put_signed(out, &spec, take_signed(values, longs));
    } else if (letter == 'u') {
        put_number(out, spec, false, take_unsigned(values, longs));
    } else if (letter == 's') {
        const char* text = va_arg(*values, const char*);
        if (!text)
            text = "(null)";
        spec.zeros = false;
        put_field(out, &spec, 0, text, std::strlen(text));
    } else if (letter == 'c') {
        char c = static_cast<char>(va_arg(*values, int));
        spec.zeros = false;
        put_field(out, &spec, 0, &c, 1);
    } else if (letter == '%') {
        put_byte(out, '%');
    } else {
        // Not a conversion this shell knows: the text stands as written.
        for (const char* q = start; q < p; ++q)
            put_byte(out, *q);
        return p;
    }
    return p + 1;
}

int format_text_list(char* dst, size_t size, const char* format, va_list values)
{
    if (size == 0)
        return 0;
    FormatOutput out{dst, size, 0};
    va_list copy;
    va_copy(copy, values);
    const char* p = format;
    while (*p) {
        if (*p == '%')
            p = put_conversion(&out, p + 1, &copy);
        else
            put_byte(&out, *p++);
    }
    va_end(copy);
    dst[out.used] = 0;
    return static_cast<int>(out.used);
}

int format_text(char* dst, size_t size, const char* format, ...)
{
    va_list values;
    va_start(values, format);
    int length = format_text_list(dst, size, format, values);
    va_end(values);
    return length;
}
