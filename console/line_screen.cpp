// line_screen.cpp: draws only what changed on the line, in one write.
//
// Within a row the cursor goes left by backspaces and right by writing the characters it
// passes over; up a row it goes by CR, ESC [ n A and ESC [ n C, which never depend on how a
// console treats a backspace in its first column. Where a character fills a row, terminals
// keep the cursor in the last column and consoles move it on at once: before the cursor moves
// from there, the cell after the margin is written again and backed over, which leaves every
// console with the cursor at the start of the next row.
#include "console/line_screen.h"

#include "console/line_text.h"
#include "console/output.h"
#include "console/prompt_width.h"
#include "console/screen_cells.h"

#include <cstring>

// Nothing of the line is shown yet; its text starts at `start` on the cursor's row.
static void start_line(LineScreen* s, int start)
{
    s->start = start;
    s->at = start;
    s->at_margin = false;
    s->own_row = false;
    s->shown_cells = 0;
    s->shown[0] = 0;
}

void screen_start(LineScreen* s, int columns, const char* prompt, int start)
{
    s->columns = columns;
    s->used = 0;
    size_t length = 0;
    for (; prompt[length] && length + 1 < sizeof s->prompt; ++length)
        s->prompt[length] = prompt[length];
    s->prompt[length] = 0; // a longer prompt is drawn again cut
    s->prompt_cells = start;
    start_line(s, start % columns);
}

void screen_flush(LineScreen* s)
{
    if (s->used > 0)
        screen_sink(s->out, s->used);
    s->used = 0;
}

void screen_put(LineScreen* s, const char* bytes, size_t size)
{
    if (s->used + size > sizeof s->out)
        screen_flush(s);
    std::memcpy(s->out + s->used, bytes, size);
    s->used += size;
}

static void advance(LineScreen* s, int width)
{
    s->at += width;
    s->at_margin = s->at % s->columns == 0;
}

static void put_cell(LineScreen* s, const char* bytes, size_t size, int width)
{
    screen_put(s, bytes, size);
    advance(s, width);
}

// Writes the character's bytes, or a control byte as ^X: the terminal never acts on the line.
static void put_shown(LineScreen* s, const char* text, size_t at, size_t length)
{
    if (length == 1 && is_control_byte(text[at])) {
        char shown[2] = {'^', static_cast<char>(text[at] ^ 0x40)};
        return screen_put(s, shown, 2);
    }
    screen_put(s, text + at, length);
}

static void put_repeated(LineScreen* s, char c, int count)
{
    char run[64];
    std::memset(run, c, sizeof run);
    for (; count > 0; count -= static_cast<int>(sizeof run))
        screen_put(s, run, count < 64 ? static_cast<size_t>(count) : sizeof run);
}

static void put_blanks(LineScreen* s, int count)
{
    for (; count > 0; --count)
        put_cell(s, " ", 1, 1);
}

// Writes the characters from `from` to `to`, each wide one that would straddle the margin
// after a blank in the row's last cell.
static void put_text(LineScreen* s, const char* text, size_t from, size_t to)
{
    while (from < to) {
        size_t length = char_length_at(text, from);
        int width = shown_columns(text, from, length);
        if (width > 1 && s->columns > 1 && s->at % s->columns == s->columns - 1)
            put_cell(s, " ", 1, 1);
        put_shown(s, text, from, length);
        advance(s, width);
        from += length;
    }
}

// The first character of text that starts at or after the cell (the end when none does); the
// cell where it starts in `found`.
static size_t char_at_cell(const LineScreen* s, const char* text, int cell, int* found)
{
    int column = s->start;
    size_t at = 0;
    for (; text[at]; at += char_length_at(text, at)) {
        int width = shown_columns(text, at, char_length_at(text, at));
        if (width > 1 && s->columns > 1 && column % s->columns == s->columns - 1)
            ++column; // the blank at the margin
        if (column >= cell)
            break;
        column += width;
    }
    *found = column;
    return at;
}

// Makes the cursor's place certain after a character filled a row: the cell after the margin
// (a character of text or a blank) is written again and backed over.
static void settle(LineScreen* s, const char* text)
{
    if (!s->at_margin)
        return;
    int column;
    size_t at = char_at_cell(s, text, s->at, &column);
    bool here = text[at] && column == s->at;
    size_t length = here ? char_length_at(text, at) : 1;
    int width = here ? shown_columns(text, at, length) : 1;
    if (here)
        put_shown(s, text, at, length);
    else
        screen_put(s, " ", 1);
    put_repeated(s, '\b', width);
    s->at_margin = false;
}

static void put_move(LineScreen* s, char direction, int count)
{
    char move[16] = "\x1b[";
    char* end = move + 2;
    end += format_text(end, sizeof move - 3, "%d", count);
    *end++ = direction;
    screen_put(s, move, static_cast<size_t>(end - move));
}

// Moves the cursor to the cell `to` of text, where the character `index` starts (or the end).
static void move_to(LineScreen* s, const char* text, int to, size_t index)
{
    settle(s, text);
    int row = s->at / s->columns, to_row = to / s->columns;
    if (to_row > row || (to_row == row && to > s->at)) {
        int column;
        put_text(s, text, char_at_cell(s, text, s->at, &column), index);
        put_blanks(s, to - s->at); // the margin's blank before the character at `to`
    } else if (to_row == row) {
        put_repeated(s, '\b', s->at - to);
    } else {
        screen_put(s, "\r", 1);
        put_move(s, 'A', row - to_row);
        if (to % s->columns > 0)
            put_move(s, 'C', to % s->columns);
    }
    s->at = to;
}

// The cell where text starts to differ from the shown text, and the byte index there.
static size_t first_change(const LineScreen* s, const char* text)
{
    size_t same = 0;
    while (s->shown[same] && s->shown[same] == text[same])
        ++same;
    size_t at = 0;
    for (size_t next = 0; at < same; at = next) {
        next = at + char_length_at(text, at);
        if (next > same)
            break;
    }
    return at;
}

// Rubs the shown text out and starts the line at the beginning of the next row.
static void move_to_own_row(LineScreen* s)
{
    move_to(s, s->shown, s->start, 0);
    put_blanks(s, s->shown_cells);
    move_to(s, "", s->start, 0);
    screen_put(s, "\n", 1);
    start_line(s, 0);
    s->own_row = true;
}

// Whether text would move to a row of its own. A line that takes four bytes a cell at most
// is only counted while it can still be shorter than a row.
static bool needs_own_row(const LineScreen* s, const char* text, size_t length)
{
    if (s->start == 0 || length >= 4 * static_cast<size_t>(s->columns))
        return false;
    int cells = text_cells(text, length, s->start, s->columns);
    return cells > 0 && cells > s->columns - s->start && cells < s->columns;
}

void screen_follow(LineScreen* s, const char* text, size_t cursor)
{
    if (needs_own_row(s, text, std::strlen(text)))
        screen_show(s, text, cursor);
}

void screen_show(LineScreen* s, const char* text, size_t cursor)
{
    size_t length = std::strlen(text);
    if (needs_own_row(s, text, length))
        move_to_own_row(s);
    int cells = text_cells(text, length, s->start, s->columns);
    size_t change = first_change(s, text);
    if (text[change] || s->shown[change]) {
        move_to(s, s->shown, s->start + text_cells(text, change, s->start, s->columns), change);
        put_text(s, text, change, length);
        put_blanks(s, s->shown_cells - cells);
        std::memcpy(s->shown + change, text + change, length - change + 1);
        s->shown_cells = cells;
    }
    move_to(s, text, s->start + char_cell(text, cursor, s->start, s->columns), cursor);
    settle(s, text);
}

void screen_leave(LineScreen* s, const char* text)
{
    screen_show(s, text, std::strlen(text));
    if (s->at % s->columns != 0 || s->at == s->start)
        screen_put(s, "\n", 1); // else the cursor stands on the row below the line already
}

// Writes the prompt's bytes from `from`, each line feed as CR LF (raw output keeps them apart).
static void put_prompt(LineScreen* s, size_t from)
{
    for (size_t at = from; s->prompt[at]; ++at) {
        bool line_feed = s->prompt[at] == '\n';
        screen_put(s, line_feed ? "\r\n" : s->prompt + at, line_feed ? 2 : 1);
    }
}

// The rows the line showed stay where they were (a terminal that reflows them may leave some
// above); from the row where the line began everything is drawn again at the new width.
void screen_resize(LineScreen* s, int columns)
{
    if (columns <= 0 || columns == s->columns)
        return;
    screen_put(s, "\r", 1);
    if (s->at / s->columns > 0)
        put_move(s, 'A', s->at / s->columns);
    screen_put(s, "\x1b[J", 3);
    s->columns = columns;
    bool own_row = s->own_row;
    size_t last_row;
    prompt_columns(s->prompt, &last_row);
    if (!own_row)
        put_prompt(s, last_row);
    start_line(s, own_row ? 0 : s->prompt_cells % columns);
    s->own_row = own_row;
}

void screen_redraw(LineScreen* s)
{
    screen_put(s, "\x1b[H\x1b[2J", 7);
    put_prompt(s, 0);
    start_line(s, s->prompt_cells % s->columns);
}
