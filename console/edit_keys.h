// edit_keys.h: the prompt editor's word keys, the removed-text store, undo and Ctrl-C.
#pragma once

#include <cstddef>

// A line being edited: its text (room for `max` bytes and the NUL) and the cursor.
struct EditedLine {
    char* text;
    size_t* cursor;
    size_t max;
};

// The start of the word left of the cursor, the end of the word right of it (blanks skipped).
size_t word_left(const char* text, size_t cursor);
size_t word_right(const char* text, size_t cursor);
// Ctrl-W: removes the word before the cursor. Ctrl-K: from the cursor to the end. Ctrl-U:
// the whole line. Each keeps what it removed for Ctrl-Y.
void remove_word_before(EditedLine line);
void remove_to_end(EditedLine line);
void remove_line(EditedLine line);
// Ctrl-Y: inserts what was removed last; false (the line unchanged) when it does not fit.
bool insert_removed(EditedLine line);

// Undo keeps the line as it was before each edit; a run of typed characters is one edit.
void undo_start();
// Called after each key with the line as it was before the key.
void undo_note(const char* before, size_t before_cursor, const char* after, bool typed);
// Ctrl-_ and Ctrl-Z: the line before the last edit; past the oldest one kept, the empty line.
void undo_last(EditedLine line);

// The text Ctrl-C leaves on the screen: the line (cut to fit) followed by "^C", in out
// (`size` bytes).
void interrupted_line(char* out, size_t size, const char* text);
