// edit_keys.cpp: the prompt editor's word keys, the removed-text store, undo and Ctrl-C.
#include "console/edit_keys.h"

#include "console/line_input.h"
#include "console/line_text.h"
#include "parse/strings.h"

#include <cstring>

constexpr size_t UNDO_STEPS = 64; // the oldest edits beyond these undo to the empty line

// What the last Ctrl-W, Ctrl-K or Ctrl-U removed, kept from one line to the next.
static char removed[EDIT_LINE_MAX + 1];

// The line before each edit, newest last; a ring of UNDO_STEPS lines.
struct UndoStep {
    size_t cursor;
    char text[EDIT_LINE_MAX + 1];
};
static UndoStep undo_steps[UNDO_STEPS];
static size_t undo_count;      // steps kept
static size_t undo_top;        // where the next step goes
static bool undo_after_typing; // the last edit was a typed character

static bool is_blank(char c) { return c == ' ' || c == '\t'; }

size_t word_left(const char* text, size_t cursor)
{
    while (cursor > 0 && is_blank(text[cursor - 1]))
        --cursor;
    while (cursor > 0 && !is_blank(text[cursor - 1]))
        cursor = char_start_before(text, cursor);
    return cursor;
}

size_t word_right(const char* text, size_t cursor)
{
    while (text[cursor] && is_blank(text[cursor]))
        ++cursor;
    while (text[cursor] && !is_blank(text[cursor]))
        cursor += char_length_at(text, cursor);
    return cursor;
}

// Removes the bytes from `from` to `to` and keeps them for Ctrl-Y; the cursor goes to `from`.
static void remove_span(EditedLine line, size_t from, size_t to)
{
    if (from == to)
        return;
    std::memcpy(removed, line.text + from, to - from);
    removed[to - from] = 0;
    std::memmove(line.text + from, line.text + to, std::strlen(line.text + to) + 1);
    *line.cursor = from;
}

void remove_word_before(EditedLine line)
{
    remove_span(line, word_left(line.text, *line.cursor), *line.cursor);
}

void remove_to_end(EditedLine line)
{
    remove_span(line, *line.cursor, *line.cursor + std::strlen(line.text + *line.cursor));
}

void remove_line(EditedLine line) { remove_span(line, 0, std::strlen(line.text)); }

bool insert_removed(EditedLine line)
{
    size_t count = std::strlen(removed);
    size_t length = std::strlen(line.text);
    if (length + count > line.max)
        return false;
    char* at = line.text + *line.cursor;
    std::memmove(at + count, at, length - *line.cursor + 1);
    std::memcpy(at, removed, count);
    *line.cursor += count;
    return true;
}

void undo_start()
{
    undo_count = 0;
    undo_after_typing = false;
}

void undo_note(const char* before, size_t before_cursor, const char* after, bool typed)
{
    if (std::strcmp(before, after) == 0)
        return;
    bool joined = typed && undo_after_typing; // a run of typing undoes at once
    undo_after_typing = typed;
    if (joined)
        return;
    UndoStep* step = &undo_steps[undo_top];
    copy_bounded(step->text, before, sizeof step->text);
    step->cursor = before_cursor;
    undo_top = (undo_top + 1) % UNDO_STEPS;
    if (undo_count < UNDO_STEPS)
        ++undo_count;
}

void undo_last(EditedLine line)
{
    undo_after_typing = false;
    if (undo_count == 0) {
        line.text[0] = 0;
        *line.cursor = 0;
        return;
    }
    undo_top = (undo_top + UNDO_STEPS - 1) % UNDO_STEPS;
    --undo_count;
    const UndoStep* step = &undo_steps[undo_top];
    copy_bounded(line.text, step->text, line.max + 1);
    *line.cursor = step->cursor <= std::strlen(line.text) ? step->cursor : 0;
}

void interrupted_line(char* out, size_t size, const char* text)
{
    size_t keep = std::strlen(text);
    if (keep + 3 > size)
        keep = size - 3;
    while (keep > 0 && keep < std::strlen(text) && (text[keep] & 0xC0) == 0x80)
        --keep; // not in the middle of a UTF-8 character
    std::memcpy(out, text, keep);
    copy_end(out + keep, "^C");
}
