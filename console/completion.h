// completion.h: file-name completion shared by the two line inputs.
#pragma once

#include "console/completion_names.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>

// The longest text a match can need: every byte a single quote written as four, and the quotes.
constexpr size_t COMPLETION_TEXT_SIZE = 4 * sizeof FindData{}.cFileName + 4;

// The search of one line input, kept from one line to the next.
struct CompletionState {
    SearchOwner search;
    FindData entry;                  // the last match
    char text[COMPLETION_TEXT_SIZE]; // the last match as it goes into the line
    NameSearch names;                // commands or variables after the files
};

// Completion within one line: the routine's search, its pattern buffer and where matches go.
struct CompletionStep {
    CompletionState* state;
    char* pattern;
    size_t pattern_size;
    size_t insert_at;            // position in the line that a match replaces to the end
    bool first;                  // the next step starts a new search from the line
    uint8_t quote = 0;           // the quotes open at the insertion point
    ShellContext* ctx = nullptr; // whose functions are offered as commands
};

// Finds the next match for line: the text that replaces the line from the insertion point, or
// null when there is none (the line stays as it is). After the file names come, for the first
// word of a command, the built-ins, functions and programs on PATH, each group sorted; for a
// word ending in $NAME or ${NAME, the variables instead of files. The text reads back as the
// match's name alone, quoted where the name holds a blank, a quote or another byte the word reader
// acts on, and closes the quotes open at the insertion point. "." and ".." are never offered. The
// first step builds the pattern and the insertion point and starts a new search; later ones take
// the next match, starting over after the last.
const char* completion_next(CompletionStep* step, char* line);
// The next match put into the line (room for `max` bytes) from the insertion point to its
// end: the text put there, or null when there is none or it does not fit (*too_long set).
const char* completion_insert(CompletionStep* step, char* line, size_t max, bool* too_long);
