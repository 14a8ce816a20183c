// screen_cells.cpp: wide characters at the right margin of a wrapping console.
#include "console/screen_cells.h"

#include "console/line_text.h"

int shown_columns(const char* text, size_t at, size_t length)
{
    if (length == 1 && is_control_byte(text[at]))
        return 2;
    return text_columns(text, at, at + length);
}

// One blank cell before a wide character that would start in the last column of a row.
static int margin_cell(const char* text, size_t at, int column, int width)
{
    if (!text[at] || width < 2 || column % width != width - 1)
        return 0;
    return shown_columns(text, at, char_length_at(text, at)) > 1 ? 1 : 0;
}

int text_cells(const char* text, size_t end, int start, int width)
{
    int column = start;
    for (size_t at = 0; at < end;) {
        size_t length = char_length_at(text, at);
        column += margin_cell(text, at, column, width) + shown_columns(text, at, length);
        at += length;
    }
    return column - start;
}

int char_cell(const char* text, size_t at, int start, int width)
{
    int cells = text_cells(text, at, start, width);
    return cells + margin_cell(text, at, start + cells, width);
}
