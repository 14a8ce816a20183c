// char_class.h: byte classes and the double-byte rule.
#pragma once

#include <cstdint>

constexpr uint8_t CC_LEAD = 0x01; // first byte of a double-byte character
constexpr uint8_t CC_NAME = 0x02; // may stand in a variable name
constexpr uint8_t CC_DIGIT = 0x04;
constexpr uint8_t CC_UPPER = 0x10;
constexpr uint8_t CC_LOWER = 0x20;

// The class table of this platform (Shift_JIS lead bytes on Windows, UTF-8 on POSIX).
extern const uint8_t char_class[256];

inline bool has_class(char c, uint8_t flags)
{
    return (char_class[static_cast<unsigned char>(c)] & flags) != 0;
}
inline bool is_lead(char c) { return has_class(c, CC_LEAD); }
// Width of the character at text: 2 for a lead byte with its second half, else 1.
inline int char_width(const char* text) { return is_lead(text[0]) && text[1] != 0 ? 2 : 1; }
