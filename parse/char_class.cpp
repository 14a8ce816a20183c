// char_class.cpp: the byte class table of the system's code page.
#include "parse/char_class.h"

#include "platform/platform.h"

#include <cstring>

constexpr uint8_t N = CC_NAME;
constexpr uint8_t D = CC_NAME | CC_DIGIT;
constexpr uint8_t U = CC_NAME | CC_UPPER;
constexpr uint8_t W = CC_NAME | CC_LOWER;

// Until set_code_page runs the table is UTF-8's: every byte 0x80-0xFF is a name byte.
uint8_t char_class[256] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // 0x00
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // 0x10
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, N, N, 0, // 0x20: '-' '.'
    D, D, D, D, D, D, D, D, D, D, 0, 0, 0, 0, 0, 0, // 0x30
    0, U, U, U, U, U, U, U, U, U, U, U, U, U, U, U, // 0x40
    U, U, U, U, U, U, U, U, U, U, U, 0, 0, 0, 0, N, // 0x50: '_'
    0, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, // 0x60
    W, W, W, W, W, W, W, W, W, W, W, 0, 0, 0, 0, 0, // 0x70
    N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, // 0x80
    N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, // 0x90
    N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, // 0xA0
    N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, // 0xB0
    N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, // 0xC0
    N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, // 0xD0
    N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, // 0xE0
    N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, // 0xF0
};

uint32_t text_code_page = CODE_PAGE_UTF8;

// Shift_JIS: lead bytes 0x80-0x9F and 0xE0-0xFE, the single-byte katakana 0xA1-0xDF plain name
// bytes, and 0xA0 and 0xFF nothing.
static uint8_t shift_jis_class(int byte)
{
    if (byte == 0xA0 || byte == 0xFF)
        return 0;
    return byte <= 0x9F || byte >= 0xE0 ? CC_LEAD | CC_NAME : CC_NAME;
}

// Every other code page: each high byte is a name byte, as a letter of a single-byte code page
// is, and the system's lead bytes begin pairs. An ASCII byte never leads, whatever the system
// reports, so a quote, backslash or blank never swallows the byte after it.
static void mark_lead_bytes(const uint8_t* lead_ranges)
{
    for (int i = 0; lead_ranges && i + 1 < SYS_LEAD_RANGES_SIZE && lead_ranges[i]; i += 2) {
        int first = lead_ranges[i] < 0x80 ? 0x80 : lead_ranges[i];
        for (int byte = first; byte <= lead_ranges[i + 1]; ++byte)
            char_class[byte] |= CC_LEAD;
    }
}

void set_code_page(uint32_t number, const uint8_t* lead_ranges)
{
    text_code_page = number;
    for (int byte = 0x80; byte < 0x100; ++byte)
        char_class[byte] = number == CODE_PAGE_SHIFT_JIS ? shift_jis_class(byte) : CC_NAME;
    if (number != CODE_PAGE_SHIFT_JIS && number != CODE_PAGE_UTF8)
        mark_lead_bytes(lead_ranges);
}

void use_system_code_page()
{
    SysCodePage code_page;
    sys_code_page(&code_page);
    set_code_page(code_page.number, code_page.lead_ranges);
}
