// edit_line.cpp: the line editor of the prompt, with cursor keys, history and completion.
#include "console/completion.h"
#include "console/history.h"
#include "console/line_input.h"
#include "console/line_text.h"
#include "console/output.h"

#include <cstring>

constexpr int SCREEN_COLUMNS = 80;
constexpr size_t EDIT_PATTERN_SIZE = 1024;

// The editor's completion search outlives the line, until the next new completion.
static CompletionState edit_completion;

struct EditState {
    ShellContext* ctx;
    char* line;
    size_t cursor; // byte index, on a character boundary
    int room;      // columns left on the row where the line text starts
    HistoryBrowse browse;
    CompletionStep completion;
    char pattern[EDIT_PATTERN_SIZE];
    KeyInput keys;
};

static size_t line_length(const EditState* s) { return std::strlen(s->line); }

static int columns_to(const char* line, size_t end) { return text_columns(line, 0, end); }

// Rubs the whole line out; the console cursor ends where the line text begins.
static void erase_shown(const char* line, size_t cursor)
{
    int total = columns_to(line, std::strlen(line));
    for (int i = columns_to(line, cursor); i < total; ++i)
        out_char(' ');
    out_erase(total);
}

// Writes the line and puts the console cursor back at the cursor. A line longer than the room
// behind the prompt moves to a row of its own rather than wrap. Returns the room.
static int show_line(const char* line, size_t cursor, int room)
{
    int total = columns_to(line, std::strlen(line));
    if (total > room && total < SCREEN_COLUMNS) {
        out_char('\n');
        room = SCREEN_COLUMNS;
    }
    out_str(line);
    for (int i = columns_to(line, cursor); i < total; ++i)
        out_char('\b');
    return room;
}

static void redraw(EditState* s) { s->room = show_line(s->line, s->cursor, s->room); }

static void move_home(EditState* s)
{
    if (s->cursor == 0)
        return;
    erase_shown(s->line, s->cursor);
    s->cursor = 0;
    redraw(s);
}

static void move_end(EditState* s)
{
    if (s->cursor == line_length(s))
        return;
    erase_shown(s->line, s->cursor);
    s->cursor = line_length(s);
    redraw(s);
}

static void move_left(EditState* s)
{
    if (s->cursor == 0)
        return;
    size_t start = char_start_before(s->line, s->cursor);
    for (int i = text_columns(s->line, start, s->cursor); i > 0; --i)
        out_char('\b');
    s->cursor = start;
}

static void move_right(EditState* s)
{
    if (s->cursor == line_length(s))
        return;
    size_t length = char_length_at(s->line, s->cursor);
    for (size_t i = 0; i < length; ++i)
        out_char(s->line[s->cursor++]);
}

static void delete_at(char* line, size_t at, size_t count)
{
    std::memmove(line + at, line + at + count, std::strlen(line + at + count) + 1);
}

static void delete_here(EditState* s)
{
    erase_shown(s->line, s->cursor);
    if (s->line[s->cursor])
        delete_at(s->line, s->cursor, char_length_at(s->line, s->cursor));
    redraw(s);
}

static void rub_out(EditState* s)
{
    if (s->cursor == 0)
        return;
    erase_shown(s->line, s->cursor);
    size_t start = char_start_before(s->line, s->cursor);
    delete_at(s->line, start, s->cursor - start);
    s->cursor = start;
    redraw(s);
}

static void insert_text(EditState* s, const char* text, size_t count)
{
    size_t length = line_length(s);
    if (count == 0 || length + count > EDIT_LINE_MAX)
        return; // the key would overflow the line: it is ignored
    erase_shown(s->line, s->cursor);
    std::memmove(s->line + s->cursor + count, s->line + s->cursor, length - s->cursor + 1);
    std::memcpy(s->line + s->cursor, text, count);
    s->cursor += count;
    redraw(s);
    s->browse.index = 0;
    s->completion.first = true;
}

static void complete(EditState* s)
{
    const char* name = completion_next(&s->completion, s->line);
    if (!name || s->completion.insert_at + std::strlen(name) > EDIT_LINE_MAX)
        return;
    erase_shown(s->line, s->cursor);
    std::strcpy(s->line + s->completion.insert_at, name);
    s->cursor = line_length(s);
    redraw(s);
}

static void browse_history(EditState* s, int step)
{
    erase_shown(s->line, s->cursor);
    history_step(s->ctx, &s->browse, step, s->line);
    s->cursor = line_length(s);
    redraw(s);
}

static void erase_line(EditState* s)
{
    erase_shown(s->line, s->cursor);
    s->line[0] = 0;
    s->cursor = 0;
}

static void clear_screen()
{
    output_sink("\x1b[2J", 4); // straight out: no interrupt check, and the line is not redrawn
}

// Carries out one key code (cursor keys already mapped to their control codes).
static void act_on_key(EditState* s, int code)
{
    switch (code) {
    case 1: // Ctrl-A, Home
        return move_home(s);
    case 2: // Ctrl-B, Left
        return move_left(s);
    case 4: // Ctrl-D
    case 127:
        return delete_here(s);
    case 5: // Ctrl-E, End
        return move_end(s);
    case 6: // Ctrl-F, Right
        return move_right(s);
    case 8: // Ctrl-H, Backspace
        return rub_out(s);
    case 9: // Tab
        return complete(s);
    case 12: // Ctrl-L
        return clear_screen();
    case 14: // Ctrl-N, Down
        return browse_history(s, -1);
    case 16: // Ctrl-P, Up
        return browse_history(s, +1);
    case 21: // Ctrl-U
        return erase_line(s);
    default: // the other control codes are ignored
        return;
    }
}

// The control code that a cursor key stands for, or 0 for a scan code that is ignored.
static int map_scan_code(int scan)
{
    switch (scan) {
    case 71: // Home
        return 1;
    case 72: // Up
        return 16;
    case 75: // Left
        return 2;
    case 77: // Right
        return 6;
    case 79: // End
        return 5;
    case 80: // Down
        return 14;
    default:
        return 0;
    }
}

// Columns of the prompt: the caller leaves its text in the buffer; a UTF-8 prompt
// takes fewer columns than bytes.
static int prompt_columns(const char* line, int prompt_width)
{
    const void* end = std::memchr(line, 0, KEYBOARD_LINE_SIZE);
    if (prompt_width <= 0 || !end || static_cast<const char*>(end) - line != prompt_width)
        return prompt_width;
    return text_columns(line, 0, static_cast<size_t>(prompt_width));
}

static void start_edit(EditState* s, char* line, ShellContext* ctx, int prompt_width)
{
    s->ctx = ctx;
    s->line = line;
    s->room = SCREEN_COLUMNS - prompt_columns(line, prompt_width);
    line[0] = 0;
    s->cursor = 0;
    history_reset(&s->browse);
    s->completion = CompletionStep{&edit_completion, s->pattern, sizeof s->pattern, 0, true};
}

bool edit_line(char* line, ShellContext* ctx, int prompt_width)
{
    EditState s;
    start_edit(&s, line, ctx, prompt_width);
    for (;;) {
        KeyPress key;
        read_key_press(&s.keys, &key);
        if (key.code < 0 || (key.code == KEY_PREFIX && key.length == 0 && key.scan < 0))
            return false; // the end of input
        if (key.code == 10 || key.code == 13) {
            out_newline();
            history_add(ctx, line);
            return true;
        }
        if (key.code == KEY_PREFIX && key.length == 0)
            act_on_key(&s, map_scan_code(key.scan));
        else if (key.code >= 32 && key.code != 127)
            insert_text(&s, key.text, static_cast<size_t>(key.length));
        else
            act_on_key(&s, key.code);
    }
}
