// text_encoding.cpp: UTF-16 text turned into the UTF-8 that the shell's text is here.
#include "platform/platform.h"

static uint32_t unit_at(const char* bytes, bool big_endian)
{
    auto first = static_cast<unsigned char>(bytes[big_endian ? 0 : 1]);
    auto second = static_cast<unsigned char>(bytes[big_endian ? 1 : 0]);
    return static_cast<uint32_t>(first) << 8 | second;
}

static char* put_utf8(char* out, uint32_t code)
{
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
    } else if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | code >> 6);
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = static_cast<char>(0xE0 | code >> 12);
        *out++ = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | code >> 18);
        *out++ = static_cast<char>(0x80 | (code >> 12 & 0x3F));
        *out++ = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

int64_t sys_text_from_utf16(const char* bytes, size_t count, bool big_endian, char* out,
                            size_t size)
{
    char* start = out;
    char* limit = out + size;
    for (size_t i = 0; i + 1 < count; i += 2) {
        uint32_t code = unit_at(bytes + i, big_endian);
        if (code >= 0xDC00 && code < 0xE000)
            return SYS_TEXT_BROKEN;
        if (code >= 0xD800 && code < 0xDC00) {
            uint32_t low = i + 3 < count ? unit_at(bytes + i + 2, big_endian) : 0;
            if (low < 0xDC00 || low >= 0xE000)
                return SYS_TEXT_BROKEN;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        if (limit - out < 4)
            return SYS_TEXT_UNMAPPED; // cannot happen within the size the contract asks for
        out = put_utf8(out, code);
    }
    return out - start;
}
