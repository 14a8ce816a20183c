// completion.cpp: the completion pattern of a line, the search for its matches and the text
// that puts a match into the line.
#include "console/completion.h"

#include "console/line_input.h"
#include "parse/char_class.h"
#include "parse/read_word.h"
#include "parse/strings.h"

#include <cstring>

// Quote state of the line at a point, as the word reader keeps it.
constexpr uint8_t COMPLETION_SINGLE = 1;
constexpr uint8_t COMPLETION_DOUBLE = 2;

static void append_byte(char* pattern, size_t size, size_t* length, char c, bool* fits)
{
    if (*length + 1 < size)
        pattern[(*length)++] = c;
    else
        *fits = false;
}

// Follows a quote byte as the word reader does; true when the byte belongs to the word's text.
static bool follow_quote(char c, uint8_t* quote)
{
    if (c == '\'') {
        *quote ^= COMPLETION_SINGLE;
        return (*quote & COMPLETION_DOUBLE) != 0;
    }
    if (c == '"' && !(*quote & COMPLETION_SINGLE)) {
        *quote ^= COMPLETION_DOUBLE;
        return false;
    }
    return true;
}

static bool is_separator(char c)
{
    // On POSIX ':' and '\' are name bytes, as the search takes them.
    return c == '/' || (PLATFORM_DOS_SEPARATORS && (c == ':' || c == '\\'));
}

// Scans the line into the pattern: the text of the last word, its quotes taken away. Returns
// the position after the word's last separator, or null; sets *fits false when cut.
static char* scan_last_word(char* pattern, size_t size, char* line, char** word, bool* fits)
{
    char* insert = nullptr;
    size_t length = 0;
    uint8_t quote = 0;
    *word = line;
    *fits = true;
    for (char* p = line; *p; ++p) {
        if (*p == ' ' && !quote) {
            length = 0;
            insert = nullptr;
            *word = p + 1;
            *fits = true;
            continue;
        }
        if (!follow_quote(*p, &quote))
            continue;
        append_byte(pattern, size, &length, *p, fits);
        if (is_lead(*p) && p[1]) // the second byte of a double-byte character is never a separator
            append_byte(pattern, size, &length, *++p, fits);
        else if (is_separator(*p))
            insert = p + 1;
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

// The quote state in force at `end`, a position in the line.
static uint8_t quote_at(const char* line, const char* end)
{
    uint8_t quote = 0;
    for (const char* p = line; p < end && *p; p += char_width(p))
        follow_quote(*p, &quote);
    return quote;
}

// Whether the name holds a byte that double quotes do not keep as it is, or a lead byte
// standing last, which would take the closing quote as its second half.
static bool needs_more_than_double_quotes(const char* name)
{
    for (const char* p = name; *p; p += char_width(p))
        if (std::strchr("\"'\\`~$", *p) || (is_lead(*p) && !p[1]))
            return true;
    return false;
}

// Writes the text that the word reader, in the quote state, reads back as the name alone and
// that leaves no quote open; false when there is none or it does not fit.
static bool quote_name(char* out, size_t size, const char* name, uint8_t quote)
{
    if (quote == (COMPLETION_SINGLE | COMPLETION_DOUBLE))
        return false; // a single quote here would stay in the word: nothing closes both
    if (quote == COMPLETION_DOUBLE && !needs_more_than_double_quotes(name)) {
        if (std::strlen(name) + 2 > size)
            return false;
        copy_end(copy_end(out, name), "\"");
        return true;
    }
    if (quote == COMPLETION_DOUBLE) {
        *out++ = '"'; // out of the double quotes, then as outside them
        --size;
    }
    char* end = quote_word(out, out + size - 2, name); // room for a closing quote and the NUL
    if (!end)
        return false;
    *end = 0;
    if (quote == COMPLETION_SINGLE) {
        // Inside single quotes already: a quoted name drops its opening quote, a plain one
        // closes them.
        if (out[0] == '\'')
            std::memmove(out, out + 1, static_cast<size_t>(end - out));
        else
            copy_end(end, "'");
    }
    return true;
}

// "." and ".." lead nowhere new, and no text puts a line end back into a line.
static bool offered(const char* name)
{
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
        return false;
    return !std::strpbrk(name, "\r\n");
}

// Steps the open search to the next entry worth offering; its text, or null at the end.
static const char* next_offered(CompletionStep* step, bool have_entry)
{
    CompletionState* state = step->state;
    for (;;) {
        if (!have_entry && !sys_find_next(state->search.search, &state->entry))
            return nullptr;
        have_entry = false;
        if (!state->entry.name_lost && offered(state->entry.cFileName) &&
            quote_name(state->text, sizeof state->text, state->entry.cFileName, step->quote))
            return state->text;
    }
}

static const char* restart_search(CompletionStep* step)
{
    CompletionState* state = step->state;
    state->search.reset();
    if (step->pattern[0])
        state->search.reset(sys_find_first(step->pattern, &state->entry));
    const char* text = state->search.search ? next_offered(step, true) : nullptr;
    if (!text)
        state->search.reset();
    return text;
}

const char* completion_next(CompletionStep* step, char* line)
{
    // A line cut back before the old insertion point needs a new search.
    if (step->first || step->insert_at > std::strlen(line)) {
        step->first = true;
        char* insert = completion_pattern(step->pattern, step->pattern_size, line);
        step->insert_at = static_cast<size_t>(insert - line);
        step->quote = quote_at(line, insert);
        const char* text = restart_search(step);
        if (text)
            step->first = false;
        return text;
    }
    CompletionState* state = step->state;
    if (state->search.search)
        if (const char* text = next_offered(step, false))
            return text;
    return restart_search(step); // past the last match the first one comes back
}
