// text_encoding.cpp: UTF-16 text turned into the ANSI code page that the shell's text is in.
#include "platform/platform.h"

#include <windows.h>

// Characters are converted a piece at a time through this many UTF-16 units.
constexpr size_t PIECE_UNITS = 2048;

static int64_t convert_piece(const wchar_t* units, int count, char* out, size_t size)
{
    if (GetACP() == CP_UTF8) {
        int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, units, count, out,
                                         static_cast<int>(size), nullptr, nullptr);
        return length > 0 ? length : SYS_TEXT_BROKEN;
    }
    BOOL lacking = FALSE;
    int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, count, out,
                                     static_cast<int>(size), nullptr, &lacking);
    return length > 0 && !lacking ? length : SYS_TEXT_UNMAPPED;
}

int64_t sys_text_from_utf16(const char* bytes, size_t count, bool big_endian, char* out,
                            size_t size)
{
    wchar_t units[PIECE_UNITS];
    int64_t written = 0;
    for (size_t done = 0; done + 1 < count;) {
        size_t n = 0;
        for (; n < PIECE_UNITS && done + 1 < count; ++n, done += 2) {
            auto first = static_cast<unsigned char>(bytes[done + (big_endian ? 0 : 1)]);
            auto second = static_cast<unsigned char>(bytes[done + (big_endian ? 1 : 0)]);
            units[n] = static_cast<wchar_t>(first << 8 | second);
        }
        // A pair is never cut between two pieces.
        if (n == PIECE_UNITS && units[n - 1] >= 0xD800 && units[n - 1] < 0xDC00) {
            --n;
            done -= 2;
        }
        int64_t length = convert_piece(units, static_cast<int>(n), out + written,
                                       size - static_cast<size_t>(written));
        if (length < 0)
            return length;
        written += length;
    }
    return written;
}
