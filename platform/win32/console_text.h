// console_text.h: the console's Unicode keys and screen, in the bytes of the ANSI code page.
#pragma once

#include <cstddef>
#include <windows.h>

// One key event gives at most this many codes (a character of four bytes at most).
constexpr int KEY_CODES_MAX = 8;

// Keeps the first half of a surrogate pair until its second half arrives.
struct KeyDecoder {
    wchar_t high_surrogate;
};

// The codes that one key event hands on, in code page `code_page`: cursor and function keys
// in the two-code form, a character as its bytes (outside UTF-8 a first byte 224 doubled, so
// it is never taken for the prefix). A character the code page cannot hold gives none.
int key_event_codes(KeyDecoder* decoder, const KEY_EVENT_RECORD* key, UINT code_page,
                    int codes[KEY_CODES_MAX]);

// The codes that one read of `got` input records (0 or 1) hands on. Ctrl-C comes as the key 3,
// or, from a console that keeps that key to itself, as a read that ends with no record.
int console_read_codes(KeyDecoder* decoder, const INPUT_RECORD* record, DWORD got, UINT code_page,
                       int codes[KEY_CODES_MAX]);

// The length of the longest start of `data` that ends on a whole character of `code_page`;
// an incomplete UTF-8 sequence or a lone lead byte at the end is left out.
size_t whole_char_length(UINT code_page, const char* data, size_t size);

// Writes ANSI code page text to a console as Unicode.
void write_console_text(HANDLE console, const char* data, size_t size);
