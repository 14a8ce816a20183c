// completion_names.h: completion of command names (built-ins, functions, programs on PATH)
// and of variable names, after the file names.
#pragma once

#include "core/shell.h"

#include <cstddef>
#include <cstdint>

constexpr size_t COMPLETION_NAME_SIZE = 260;

// What a completion offers after the file names.
constexpr uint8_t NAMES_NONE = 0;
constexpr uint8_t NAMES_COMMANDS = 1;  // the first word of a command
constexpr uint8_t NAMES_VARIABLES = 2; // $NAME or ${NAME: instead of file names

// The names' part of one completion: the group it is in and the last name it offered.
struct NameSearch {
    uint8_t kind;
    uint8_t group;
    bool braced; // ${NAME
    char prefix[COMPLETION_NAME_SIZE];
    char last[COMPLETION_NAME_SIZE];
};

// Whether a name may go into the line: no control byte (below 32, 127, UTF-8 C1).
bool name_offered(const char* name);
// Byte order of two names.
int name_compare(const char* a, const char* b);
// Whether name begins with prefix (in any case where names are case-blind) and comes after
// `after` (empty: any).
bool name_after(const char* name, const char* prefix, const char* after);
// Decides what the word at `word` (to the line's end) completes to besides files; for a
// variable, returns where its '$' stands (the insertion point), else null.
const char* names_start(NameSearch* names, const char* line, const char* word);
// The next name in order (built-ins, functions, programs; or variables), or null after the
// last, when the next call starts over.
const char* names_next(NameSearch* names, ShellContext* ctx);
// Puts the home folder in place of a leading "~/" or "$HOME/" of the pattern; false when
// the result does not fit.
bool expand_home(char* pattern, size_t size);
