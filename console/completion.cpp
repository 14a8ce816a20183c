// completion.cpp: the completion pattern of a line and the search for its matches.
#include "console/completion.h"

#include "console/line_input.h"
#include "parse/char_class.h"

#include <cstring>

static void append_byte(char* pattern, size_t size, size_t* length, char c, bool* fits)
{
    if (*length + 1 < size)
        pattern[(*length)++] = c;
    else
        *fits = false;
}

// Scans the line into the pattern: the bytes of the last blank-separated word. Returns the
// position after the word's last separator, or null; sets *fits false when cut.
static char* scan_last_word(char* pattern, size_t size, char* line, char** word, bool* fits)
{
    char* insert = nullptr;
    size_t length = 0;
    *word = line;
    *fits = true;
    for (char* p = line; *p; ++p) {
        if (*p == ' ') {
            length = 0;
            insert = nullptr;
            *word = p + 1;
            *fits = true;
            continue;
        }
        append_byte(pattern, size, &length, *p, fits);
        if (is_lead(*p) && p[1]) // the second byte of a double-byte character is never a separator
            append_byte(pattern, size, &length, *++p, fits);
        else if (*p == '/' || (PLATFORM_DOS_SEPARATORS && (*p == ':' || *p == '\\')))
            insert = p + 1; // on POSIX ':' and '\' are name bytes, as the search takes them
    }
    pattern[length] = 0;
    return insert;
}

char* completion_pattern(char* pattern, size_t size, char* line)
{
    if (size == 0)
        return line + std::strlen(line);
    char* word;
    bool fits;
    char* insert = scan_last_word(pattern, size, line, &word, &fits);
    if (!insert)
        insert = word;
    if (!std::strchr(pattern, '*')) {
        const char* suffix = std::strchr(pattern, '.') ? "*" : "*.*";
        size_t length = std::strlen(pattern);
        if (length + std::strlen(suffix) < size)
            std::strcpy(pattern + length, suffix);
        else
            fits = false;
    }
    if (!fits)
        pattern[0] = 0; // a cut pattern would find the wrong names: it finds none
    return insert;
}

static const char* restart_search(CompletionStep* step)
{
    CompletionState* state = step->state;
    state->search.reset();
    if (step->pattern[0])
        state->search.reset(sys_find_first(step->pattern, &state->entry));
    return state->search.search ? state->entry.cFileName : nullptr;
}

const char* completion_next(CompletionStep* step, char* line)
{
    // A line cut back before the old insertion point needs a new search.
    if (step->first || step->insert_at > std::strlen(line)) {
        step->first = true;
        step->insert_at =
            static_cast<size_t>(completion_pattern(step->pattern, step->pattern_size, line) - line);
        const char* name = restart_search(step);
        if (name)
            step->first = false;
        return name;
    }
    CompletionState* state = step->state;
    if (state->search.search && sys_find_next(state->search.search, &state->entry))
        return state->entry.cFileName;
    return restart_search(step); // past the last match the first one comes back
}
