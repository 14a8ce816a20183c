// char_class.h: byte classes and the double-byte rule.
#pragma once

#include <cstdint>

constexpr uint8_t CC_LEAD = 0x01; // first byte of a double-byte character
constexpr uint8_t CC_NAME = 0x02; // may stand in a variable name
constexpr uint8_t CC_DIGIT = 0x04;
constexpr uint8_t CC_UPPER = 0x10;
constexpr uint8_t CC_LOWER = 0x20;

constexpr uint32_t CODE_PAGE_UTF8 = 65001;
constexpr uint32_t CODE_PAGE_SHIFT_JIS = 932;

// The class table of the code page that text is in: no lead bytes in UTF-8 or a single-byte
// code page, the system's lead bytes in a double-byte one. A table, so that every test of a
// byte stays one lookup.
extern uint8_t char_class[256];
// The code page the table was made for; UTF-8 until set_code_page is called.
extern uint32_t text_code_page;

// Makes the table that of the code page `number`; `lead_ranges` holds pairs of first and last
// lead byte ended by a zero (null for none), as sys_code_page reports them. Shift_JIS always
// gets its own fixed table.
void set_code_page(uint32_t number, const uint8_t* lead_ranges);
// The same for the system's ANSI code page: called once at start-up.
void use_system_code_page();

// UTF-8 text is walked by whole sequences where characters matter (the line editor) and its
// bytes are never double-byte pairs.
inline bool text_is_utf8() { return text_code_page == CODE_PAGE_UTF8; }

inline bool has_class(char c, uint8_t flags)
{
    return (char_class[static_cast<unsigned char>(c)] & flags) != 0;
}
inline bool is_lead(char c) { return has_class(c, CC_LEAD); }
// Width of the character at text: 2 for a lead byte with its second half, else 1.
inline int char_width(const char* text) { return is_lead(text[0]) && text[1] != 0 ? 2 : 1; }
