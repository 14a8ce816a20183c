// line_screen.h: what the console shows of the line being edited, and the bytes that bring it
// up to date with the line.
#pragma once

#include "console/line_input.h"

#include <cstddef>

constexpr size_t SCREEN_OUT_SIZE = 4096; // one update of the longest line fits
constexpr size_t PROMPT_KEPT = 1024;     // of the prompt, drawn again after a clear

// Positions are cells counted from the start of the row where the line text begins; the text
// starts at `start` there and wraps every `columns` cells.
struct LineScreen {
    int columns;
    int start;
    int prompt_cells; // columns of the prompt's last row
    bool own_row;     // the line moved to a row of its own below the prompt
    int at;           // the console's cursor
    bool at_margin;   // the last character written filled its row: consoles differ in where
                      // the cursor then stands (on that row or the next) until the next byte
    int shown_cells;  // cells that the shown text takes
    size_t used;      // bytes waiting in out
    char shown[EDIT_LINE_MAX + 1];
    char out[SCREEN_OUT_SIZE];
    char prompt[PROMPT_KEPT];
};

// The screen of an empty line whose text starts `start` columns behind the prompt (the
// columns of its last row), which was just written.
void screen_start(LineScreen* s, int columns, const char* prompt, int start);
// After the console's width changed: draws the prompt's last row again from the row where the
// line begins, at the new width; the line follows with the next screen_show.
void screen_resize(LineScreen* s, int columns);
// Clears the screen and draws the prompt at its top; the line follows with the next
// screen_show, the cursor where it was in the line.
void screen_redraw(LineScreen* s);
// Collects what brings the screen to show text with the cursor before the byte index cursor:
// the text from its first byte that differs from what is shown, blanks where the line got
// shorter, and the cursor's move. A line longer than the room behind the prompt but shorter
// than a row first moves to a row of its own (the one change of layout).
void screen_show(LineScreen* s, const char* text, size_t cursor);
// Called after each key, shown or not: draws at once where the line moves to a row of its
// own, so that the layout never depends on how many keys were shown together.
void screen_follow(LineScreen* s, const char* text, size_t cursor);
// Shows text and ends its drawing with the cursor at the start of the row below it.
void screen_leave(LineScreen* s, const char* text);
// Collects bytes that leave the console's cursor where it is (the screen's clearing).
void screen_put(LineScreen* s, const char* bytes, size_t size);
// Writes what was collected, in one piece.
void screen_flush(LineScreen* s);
