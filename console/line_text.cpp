// line_text.cpp: characters and their screen columns for the line inputs, by the rules of the
// code page: whole UTF-8 sequences, double-byte pairs, or single bytes.
#include "console/line_text.h"

#include "console/char_widths.h"
#include "console/output.h"
#include "parse/char_class.h"

#include <cstdint>

static bool is_continuation(int c) { return c >= 0x80 && c <= 0xBF; }

// Whether a key can be the byte after the first of a character: a UTF-8 continuation byte, or
// the second half of a double-byte pair (0x40 and up in every double-byte code page).
static bool continues_character(int c)
{
    return text_is_utf8() ? is_continuation(c) : c >= 0x40 && c <= 0xFE;
}

// Length of the character that a first byte announces (1 for an ASCII or stray byte).
static size_t sequence_length(unsigned char lead)
{
    if (!text_is_utf8())
        return is_lead(static_cast<char>(lead)) ? 2 : 1;
    if (lead < 0xC2 || lead > 0xF4)
        return 1;
    return lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// The code point of a valid sequence of the given length.
static uint32_t code_point(const unsigned char* p, size_t length)
{
    static const unsigned char lead_mask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    uint32_t value = p[0] & lead_mask[length];
    for (size_t i = 1; i < length; ++i)
        value = value << 6 | (p[i] & 0x3F);
    return value;
}

// Byte length of the one UTF-8 sequence at text + at (1 for a byte of a broken one).
static size_t point_length(const char* text, size_t at)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text) + at;
    size_t length = sequence_length(p[0]);
    for (size_t i = 1; i < length; ++i)
        if (!is_continuation(p[i]))
            return 1; // a broken sequence: its bytes count one by one, as terminals show them
    return length;
}

// Columns of the sequence of `length` bytes at text + at.
static int point_columns(const char* text, size_t at, size_t length)
{
    if (length == 1)
        return 1;
    return char_columns(code_point(reinterpret_cast<const unsigned char*>(text) + at, length));
}

// Whether the sequence at text + at draws on the cell of the character before it (a combining
// mark, a joiner, a variation selector). Every such character takes two bytes or more.
static bool joins_before(const char* text, size_t at)
{
    size_t length = point_length(text, at);
    return length > 1 && point_columns(text, at, length) == 0;
}

size_t char_length_at(const char* text, size_t at)
{
    if (!text_is_utf8())
        return static_cast<size_t>(char_width(text + at));
    size_t length = point_length(text, at);
    while (text[at + length] && joins_before(text, at + length))
        length += point_length(text, at + length); // the marks go with their base character
    return length;
}

// A second half may look like a lead byte: only a walk from the start tells the pairs apart.
static size_t pair_start_before(const char* text, size_t end)
{
    size_t start = 0;
    for (size_t at = 0; at < end; at += static_cast<size_t>(char_width(text + at)))
        start = at;
    return start;
}

// Start of the UTF-8 sequence that ends at `end` (a byte of a broken one stands alone).
static size_t point_start_before(const char* text, size_t end)
{
    for (size_t back = 1; back <= 4 && back <= end; ++back) {
        size_t start = end - back;
        if (!is_continuation(static_cast<unsigned char>(text[start])))
            return point_length(text, start) == back ? start : end - 1;
    }
    return end - 1;
}

size_t char_start_before(const char* text, size_t end)
{
    if (!text_is_utf8())
        return pair_start_before(text, end);
    size_t start = point_start_before(text, end);
    while (start > 0 && joins_before(text, start))
        start = point_start_before(text, start);
    return start;
}

int text_columns(const char* text, size_t from, size_t to)
{
    if (!text_is_utf8())
        return static_cast<int>(to - from); // a double-byte character takes two cells
    int columns = 0;
    while (from < to) {
        size_t length = point_length(text, from);
        columns += point_columns(text, from, length);
        from += length;
    }
    return columns;
}

static int next_key(KeyInput* input)
{
    if (input->kept == KEY_NONE)
        return read_key();
    int key = input->kept;
    input->kept = KEY_NONE;
    return key;
}

// Reads the continuation bytes of a character whose first `have` bytes are in press->text.
static void read_rest(KeyInput* input, KeyPress* press, int have)
{
    int length = static_cast<int>(sequence_length(static_cast<unsigned char>(press->text[0])));
    press->length = have;
    while (press->length < length) {
        int key = next_key(input);
        if (!continues_character(key)) {
            input->kept = key; // the character is cut short; this key is a press of its own
            return;
        }
        press->text[press->length++] = static_cast<char>(key);
    }
}

void read_key_press(KeyInput* input, KeyPress* press)
{
    press->code = next_key(input);
    press->scan = -1;
    press->length = 0;
    if (press->code < 0)
        return;
    press->text[0] = static_cast<char>(press->code);
    if (press->code == KEY_PREFIX_FUNCTION) {
        press->scan = next_key(input); // never text: the key and its scan code go together
        return;
    }
    if (press->code != KEY_PREFIX_CURSOR) {
        read_rest(input, press, 1);
        return;
    }
    int next = next_key(input);
    if (next == KEY_PREFIX_CURSOR) {
        read_rest(input, press, 1); // no scan code is 224: a doubled 224 is the text byte 224
        return;
    }
    if (text_is_utf8() && is_continuation(next)) {
        press->text[1] = static_cast<char>(next); // scan codes are below 128: this is text
        read_rest(input, press, 2);
        return;
    }
    press->scan = next;
}
