// strings.h: the small string helpers used on text across the shell.
// String routines return the position of the terminator they wrote, so copies chain.
#pragma once

#include <cstddef>
#include <cstdint>

// First position whose byte is 0 or above 0x20.
const char* skip_blanks(const char* text);
char* skip_blanks(char* text);
// Copies src with its terminator; returns the terminator's position in dst.
char* copy_end(char* dst, const char* src);
// Appends src to the string in dst; returns the new terminator's position.
char* append_end(char* dst, const char* src);
// Bounded forms: never write more than `size` bytes at dst (terminator included); text that
// does not fit is cut. Return the terminator's position.
char* copy_bounded(char* dst, const char* src, size_t size);
// Writes value as unsigned decimal with a terminator; returns the terminator's position.
char* format_unsigned(char* dst, uint32_t value);
// Leading decimal digits, accumulated in 32 bits with wrap-around; 0 without a digit.
uint32_t parse_decimal(const char* text);
// 1-based position of byte c in set; 0 when absent (the byte 0 is never found).
int char_index(const char* set, char c);
// 0 when a is a prefix of b (or equal); otherwise the first byte of a that differs.
int prefix_of(const char* a, const char* b);
// Position of the last '.' after the last '/', '\' or ':'; the terminator when none.
const char* extension_of(const char* path);
char* extension_of(char* path);
// Byte width of the last character: 0 for empty text, 2 for a double-byte character (on
// POSIX the byte length of the last UTF-8 character), else 1.
int last_char_width(const char* text);

// Position behind the last '/', '\' or ':' of path (its file name); path when there is none.
const char* file_part(const char* path);
char* file_part(char* path);
// Copies path through its last '/', '\' or ':' into dst; returns the terminator in dst.
char* dir_part(char* dst, const char* path);
// Writes value as exactly `digits` lowercase hex digits; returns the position behind them
// (no terminator).
char* format_hex(char* dst, uint32_t value, int digits);
void to_forward_slashes(char* text);
void to_backslashes(char* text);
void to_upper(char* text);
void to_lower(char* text);
