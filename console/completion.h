// completion.h: file-name completion shared by the two line inputs.
#pragma once

#include "platform/platform.h"

#include <cstddef>

// The search of one line input, kept from one line to the next.
struct CompletionState {
    SearchOwner search;
    FindData entry; // the last match
};

// Completion within one line: the routine's search, its pattern buffer and where matches go.
struct CompletionStep {
    CompletionState* state;
    char* pattern;
    size_t pattern_size;
    size_t insert_at; // position in the line that a match replaces to the end
    bool first;       // the next step starts a new search from the line
};

// Finds the next match for line: its name, or null when there is none (the line stays as it
// is). The first step builds the pattern and the insertion point and starts a new search;
// later ones take the next match, starting over after the last.
const char* completion_next(CompletionStep* step, char* line);
