// shown_text.cpp: names and values shown on a terminal, with their control bytes made visible.
#include "console/shown_text.h"

#include "console/output.h"
#include "parse/char_class.h"

#include <cstring>

constexpr unsigned char C1_LEAD = 0xC2; // U+0080..U+009F are 0xC2 0x80..0x9F in UTF-8
constexpr unsigned char C1_LAST = 0x9F;
constexpr size_t SHOWN_PIECE_SIZE = 256; // bytes made visible and written at once

size_t control_length(const char* text)
{
    auto byte = static_cast<unsigned char>(text[0]);
    if (byte == 0)
        return 0;
    if (byte < 32 || byte == 127)
        return 1;
    auto next = static_cast<unsigned char>(text[1]);
    bool c1 = byte == C1_LEAD && next >= 0x80 && next <= C1_LAST;
    return c1 && text_is_utf8() ? 2 : 0;
}

size_t shown_copy(char* dst, size_t size, const char* text)
{
    const char* start = text;
    size_t used = 0;
    while (*text && used + 1 < size) {
        size_t control = control_length(text);
        dst[used++] = control ? '?' : *text;
        text += control ? control : 1;
    }
    dst[used] = 0;
    return static_cast<size_t>(text - start);
}

void out_shown(const char* text)
{
    if (!sys_output_is_terminal())
        return out_str(text);
    check_interrupt();
    char piece[SHOWN_PIECE_SIZE];
    while (*text) {
        text += shown_copy(piece, sizeof piece, text);
        output_sink(piece, std::strlen(piece));
    }
}
