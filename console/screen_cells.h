// screen_cells.h: where text lands on a console whose rows wrap at a given width.
#pragma once

#include <cstddef>

// Whether the byte is a control character, which the line shows as ^X.
inline bool is_control_byte(char c) { return (c >= 0 && c < 32) || c == 127; }
// Cells the character of `length` bytes at text + at takes on the screen: a control byte two
// (it is shown as ^X), others as many as its columns.
int shown_columns(const char* text, size_t at, size_t length);
// Screen cells taken by the bytes of text before `end` (a character boundary) when the text
// starts at column `start` of rows `width` columns wide. A wide character that would straddle
// the right margin goes to the next row, and the cell it leaves counts too.
int text_cells(const char* text, size_t end, int start, int width);
// The cells before the character at `at` shows: text_cells and the cell a margin leaves
// before that character. The cursor stands there, on the character it is before.
int char_cell(const char* text, size_t at, int start, int width);
