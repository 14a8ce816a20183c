// console_text.cpp: whole characters of the ANSI code page, and their way onto the console.
#include "console_text.h"

// Console writes go out in pieces of this many bytes, so the wide text fits on the stack; the
// line editor's longest redraw fits in one.
constexpr size_t CONSOLE_CHUNK = 4096;

static bool is_continuation(unsigned char c) { return c >= 0x80 && c <= 0xBF; }

static size_t utf8_whole_length(const unsigned char* p, size_t size)
{
    for (size_t back = 1; back <= 4 && back <= size; ++back) {
        unsigned char c = p[size - back];
        if (is_continuation(c))
            continue;
        size_t length = c >= 0xC2 && c <= 0xDF   ? 2
                        : c >= 0xE0 && c <= 0xEF ? 3
                        : c >= 0xF0 && c <= 0xF4 ? 4
                                                 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

// Walks from the start, where a character begins: a trail byte can look like a lead byte.
static size_t dbcs_whole_length(UINT code_page, const char* data, size_t size)
{
    size_t at = 0;
    while (at < size)
        at += IsDBCSLeadByteEx(code_page, static_cast<BYTE>(data[at])) ? 2 : 1;
    return at > size ? size - 1 : size;
}

size_t whole_char_length(UINT code_page, const char* data, size_t size)
{
    if (code_page == CP_UTF8)
        return utf8_whole_length(reinterpret_cast<const unsigned char*>(data), size);
    CPINFO info;
    if (!GetCPInfo(code_page, &info) || info.MaxCharSize < 2)
        return size;
    return dbcs_whole_length(code_page, data, size);
}

// Cuts a piece of at most CONSOLE_CHUNK bytes on a character boundary where it can.
static size_t piece_length(const char* data, size_t size)
{
    if (size <= CONSOLE_CHUNK)
        return size;
    size_t whole = whole_char_length(GetACP(), data, CONSOLE_CHUNK);
    return whole > 0 ? whole : CONSOLE_CHUNK;
}

// Write errors are ignored: there is nowhere left to report them.
void write_console_text(HANDLE console, const char* data, size_t size)
{
    while (size > 0) {
        size_t piece = piece_length(data, size);
        wchar_t wide[CONSOLE_CHUNK];
        int units = MultiByteToWideChar(CP_ACP, 0, data, static_cast<int>(piece), wide,
                                        static_cast<int>(CONSOLE_CHUNK));
        DWORD done = 0;
        if (units > 0 && !WriteConsoleW(console, wide, static_cast<DWORD>(units), &done, nullptr))
            return;
        data += piece;
        size -= piece;
    }
}
