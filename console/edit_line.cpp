// edit_line.cpp: the line editor of the prompt, with cursor keys, history and completion.
#include "console/completion.h"
#include "console/history.h"
#include "console/line_input.h"
#include "console/line_screen.h"
#include "console/line_text.h"
#include "console/output.h"
#include "console/prompt_width.h"

#include <cstring>

constexpr int SCREEN_COLUMNS = 80; // the width of a console that does not tell its own
constexpr size_t EDIT_PATTERN_SIZE = 1024;

// The editor's completion search outlives the line, until the next new completion.
static CompletionState edit_completion;

// The keys change the line; the screen catches up once no key is waiting.
struct EditState {
    ShellContext* ctx;
    char* line;
    size_t cursor; // byte index, on a character boundary
    bool too_long; // a key was ignored because the line was full
    HistoryBrowse browse;
    CompletionStep completion;
    char pattern[EDIT_PATTERN_SIZE];
    KeyInput keys;
    LineScreen screen;
};

static size_t line_length(const EditState* s) { return std::strlen(s->line); }

static void move_home(EditState* s) { s->cursor = 0; }

static void move_end(EditState* s) { s->cursor = line_length(s); }

static void move_left(EditState* s)
{
    if (s->cursor > 0)
        s->cursor = char_start_before(s->line, s->cursor);
}

static void move_right(EditState* s)
{
    if (s->line[s->cursor])
        s->cursor += char_length_at(s->line, s->cursor);
}

static void delete_at(char* line, size_t at, size_t count)
{
    std::memmove(line + at, line + at + count, std::strlen(line + at + count) + 1);
}

static void delete_here(EditState* s)
{
    if (s->line[s->cursor])
        delete_at(s->line, s->cursor, char_length_at(s->line, s->cursor));
}

static void rub_out(EditState* s)
{
    if (s->cursor == 0)
        return;
    size_t start = char_start_before(s->line, s->cursor);
    delete_at(s->line, start, s->cursor - start);
    s->cursor = start;
}

static void insert_text(EditState* s, const char* text, size_t count)
{
    size_t length = line_length(s);
    if (count == 0)
        return;
    if (length + count > EDIT_LINE_MAX) {
        s->too_long = true; // the key is ignored, and the line will be refused
        return;
    }
    std::memmove(s->line + s->cursor + count, s->line + s->cursor, length - s->cursor + 1);
    std::memcpy(s->line + s->cursor, text, count);
    s->cursor += count;
    s->browse.index = 0;
    s->completion.first = true;
}

static void complete(EditState* s)
{
    const char* name = completion_next(&s->completion, s->line);
    if (!name)
        return;
    if (s->completion.insert_at + std::strlen(name) > EDIT_LINE_MAX) {
        s->too_long = true;
        return;
    }
    std::strcpy(s->line + s->completion.insert_at, name);
    s->cursor = line_length(s);
}

static void browse_history(EditState* s, int step)
{
    history_step(s->ctx, &s->browse, step, s->line);
    s->cursor = line_length(s);
}

static void erase_line(EditState* s)
{
    s->line[0] = 0;
    s->cursor = 0;
    s->too_long = false; // nothing of the line that did not fit is left
}

static void clear_screen(EditState* s) { screen_redraw(&s->screen); }

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
        return clear_screen(s);
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
    case SCAN_HOME:
        return 1;
    case SCAN_UP:
        return 16;
    case SCAN_LEFT:
        return 2;
    case SCAN_RIGHT:
        return 6;
    case SCAN_END:
        return 5;
    case SCAN_DOWN:
        return 14;
    case SCAN_DELETE:
        return 4;
    default:
        return 0;
    }
}

static int screen_columns()
{
    int columns = sys_terminal_columns();
    return columns > 0 ? columns : SCREEN_COLUMNS;
}

// The caller leaves the prompt's text in the buffer; prompt_width is its length in bytes (or
// its columns when the buffer does not hold it).
static void start_edit(EditState* s, char* line, ShellContext* ctx, int prompt_width)
{
    s->ctx = ctx;
    s->line = line;
    const void* end = std::memchr(line, 0, KEYBOARD_LINE_SIZE);
    bool held = prompt_width > 0 && end && static_cast<const char*>(end) - line == prompt_width;
    size_t last_row;
    screen_start(&s->screen, screen_columns(), held ? line : "",
                 held ? prompt_columns(line, &last_row) : prompt_width);
    line[0] = 0;
    s->cursor = 0;
    s->too_long = false;
    history_reset(&s->browse);
    s->completion = CompletionStep{&edit_completion, s->pattern, sizeof s->pattern, 0, true};
}

// Whether another key can be read without waiting: keys typed or pasted ahead are taken
// together and shown with one write.
static bool key_waiting(const EditState* s)
{
    if (s->keys.kept != KEY_NONE)
        return true;
    return key_source == sys_read_key && sys_key_waiting();
}

// Shows what the keys so far did, and the interrupt notice when one came.
static void catch_up(EditState* s)
{
    screen_resize(&s->screen, screen_columns());
    screen_show(&s->screen, s->line, s->cursor);
    screen_flush(&s->screen);
    check_interrupt();
}

// Enter: the line goes to the history and is run, or is refused when a key did not fit.
static void accept(EditState* s)
{
    screen_leave(&s->screen, s->line);
    screen_flush(&s->screen);
    if (s->too_long) {
        s->line[0] = 0;
        s->ctx->status = 1;
        out_error("vrel", ":line too long");
        return;
    }
    history_add(s->ctx, s->line);
}

bool edit_line(char* line, ShellContext* ctx, int prompt_width)
{
    EditState s;
    start_edit(&s, line, ctx, prompt_width);
    for (;;) {
        if (interrupted || !key_waiting(&s))
            catch_up(&s);
        KeyPress key;
        read_key_press(&s.keys, &key);
        if (key.code < 0 || (key.length == 0 && key.scan < 0)) {
            catch_up(&s);
            return false; // the end of input
        }
        if (key.code == 10 || key.code == 13) {
            accept(&s);
            return true;
        }
        if (is_prefixed(&key, KEY_PREFIX_CURSOR))
            act_on_key(&s, map_scan_code(key.scan));
        else if (is_prefixed(&key, KEY_PREFIX_FUNCTION))
            continue; // the function keys do nothing here
        else if (key.code >= 32 && key.code != 127)
            insert_text(&s, key.text, static_cast<size_t>(key.length));
        else
            act_on_key(&s, key.code);
        screen_follow(&s.screen, s.line, s.cursor);
    }
}
