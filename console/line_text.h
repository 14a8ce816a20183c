// line_text.h: characters, screen columns and key presses of the two line inputs.
#pragma once

#include "platform/platform.h"

#include <cstddef>

// Byte length of the character at text + at: a whole UTF-8 sequence with the combining marks,
// joiners and variation selectors after it, a double-byte pair, or one byte (also for a byte
// that begins no valid sequence).
size_t char_length_at(const char* text, size_t at);
// Start of the character that ends at `end` (end > 0).
size_t char_start_before(const char* text, size_t end);
// Screen columns of the bytes from `from` to `to` (character boundaries): in UTF-8 by the
// width table (char_widths.h); in other code pages one per byte.
int text_columns(const char* text, size_t from, size_t to);

constexpr int KEY_NONE = -2; // no key kept back

// Keys read for one line; a key read too far (it did not continue a character) is kept back.
struct KeyInput {
    int kept = KEY_NONE;
};

// One key press: a control code, a prefixed scan code or a character of text.
struct KeyPress {
    int code;   // the first code read; -1 at the end of input
    int scan;   // after a prefix (KEY_PREFIX_CURSOR, KEY_PREFIX_FUNCTION), the scan code
                // (-1 at the end of input)
    int length; // bytes of the character in text, 0 when the press is a prefixed key
    char text[4];
};
// Reads one key press; the bytes of a UTF-8 character or of a double-byte pair come as one
// press, a text byte 224 by the rule in platform.h.
void read_key_press(KeyInput* input, KeyPress* press);
// Whether the press is a prefixed key of the given prefix.
inline bool is_prefixed(const KeyPress* press, int prefix)
{
    return press->code == prefix && press->length == 0;
}
