// history_search.cpp: Ctrl-R, the incremental search of the history from the prompt.
#include "console/history_search.h"

#include "parse/strings.h"

#include <cstring>

struct SearchState {
    char text[SEARCH_TEXT_SIZE]; // what was typed
    HistoryPlace place;          // the match shown, or the history's end
    bool found;
    char match[HISTORY_LINE_SIZE];
};

static char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Whether text occurs in line, letters in any case.
static bool holds(const char* line, const char* text)
{
    size_t length = std::strlen(text);
    for (const char* p = line; *p; ++p) {
        size_t i = 0;
        while (i < length && p[i] && lower(p[i]) == lower(text[i]))
            ++i;
        if (i == length)
            return true;
    }
    return length == 0;
}

static char ring_at(const char* ring, uint32_t index) { return ring[index % HISTORY_RING_SIZE]; }

// Whether text (lower case, not empty) begins at index in the ring; a match ends before the
// entry's NUL, as no byte of text is one.
static bool begins_at(const char* ring, uint32_t index, const char* text)
{
    for (size_t i = 0; text[i]; ++i)
        if (lower(ring_at(ring, index + static_cast<uint32_t>(i))) != text[i])
            return false;
    return true;
}

// The ring is read in place, byte by byte from place back to the oldest entry, so a key costs
// one pass over the lines older than the match shown and no copying.
bool history_find_older(ShellContext* ctx, const char* text, HistoryPlace* place)
{
    HistoryPlace newest = *place;
    if (!history_older(ctx, &newest))
        return false;
    if (!text[0])
        return *place = newest, true;
    char folded[SEARCH_TEXT_SIZE];
    copy_bounded(folded, text, sizeof folded);
    for (char* p = folded; *p; ++p)
        *p = lower(*p);
    const char* ring = history_bytes();
    HistoryPlace oldest = history_start(ctx);
    char first = folded[0];
    for (uint32_t at = *place - 1; at - oldest < *place - oldest; --at) {
        if (lower(ring_at(ring, at)) != first || !begins_at(ring, at, folded))
            continue;
        while (at != oldest && ring_at(ring, at - 1))
            --at;
        return *place = at, true;
    }
    return false;
}

// Looks again from `from` (older than it); a miss keeps the match shown before.
static void look(ShellContext* ctx, SearchState* s, HistoryPlace from)
{
    HistoryPlace place = from;
    s->found = history_find_older(ctx, s->text, &place);
    if (s->found) {
        s->place = place;
        history_copy(ctx, place, s->match);
    }
}

// The search row: "(search)'text': match", or "(not found)" ahead when the text is not.
static void draw(LineScreen* screen, const SearchState* s)
{
    char row[EDIT_LINE_MAX + 1];
    char* end = copy_end(row, s->found || !s->text[0] ? "(search)'" : "(not found)'");
    end = copy_bounded(end, s->text, sizeof row - static_cast<size_t>(end - row));
    end = copy_bounded(end, "': ", sizeof row - static_cast<size_t>(end - row));
    copy_bounded(end, s->match, sizeof row - static_cast<size_t>(end - row));
    screen_show(screen, row, std::strlen(row));
    screen_flush(screen);
}

static void add_text(ShellContext* ctx, SearchState* s, const KeyPress* key)
{
    size_t length = std::strlen(s->text);
    if (length + static_cast<size_t>(key->length) >= sizeof s->text)
        return;
    std::memcpy(s->text + length, key->text, static_cast<size_t>(key->length));
    s->text[length + static_cast<size_t>(key->length)] = 0;
    if (length == 0)
        look(ctx, s, history_end(ctx));
    else if (s->found && !holds(s->match, s->text))
        look(ctx, s, s->place); // the match shown no longer holds it: further back
}

static void shorten_text(ShellContext* ctx, SearchState* s)
{
    size_t length = std::strlen(s->text);
    if (length == 0)
        return;
    s->text[char_start_before(s->text, length)] = 0;
    look(ctx, s, history_end(ctx)); // a shorter text may match a newer line again
}

SearchEnd history_search(ShellContext* ctx, KeyInput* keys, LineScreen* screen, char* line,
                         KeyPress* key)
{
    SearchState s;
    s.text[0] = 0;
    s.place = history_end(ctx);
    s.found = false;
    copy_bounded(s.match, line, sizeof s.match);
    char before[HISTORY_LINE_SIZE];
    copy_end(before, line);
    for (;;) {
        draw(screen, &s);
        read_key_press(keys, key);
        if (key->code < 0 || (key->length == 0 && key->scan < 0))
            return SearchEnd::END_OF_INPUT;
        bool typed = key->length > 0 && key->code >= 32 && key->code != 127;
        SearchEnd end = SearchEnd::KEY;
        if (typed)
            add_text(ctx, &s, key);
        else if (key->code == 18 && key->length == 1)
            look(ctx, &s, s.place);
        else if ((key->code == 8 || key->code == 127) && key->length == 1)
            shorten_text(ctx, &s);
        else if ((key->code == 27 || key->code == 7) && key->length == 1)
            end = SearchEnd::CANCEL;
        else
            end = key->code == 13 || key->code == 10 ? SearchEnd::ACCEPT : SearchEnd::KEY;
        if (typed || ((key->code == 18 || key->code == 8 || key->code == 127) && key->length == 1))
            continue;
        copy_bounded(line, end == SearchEnd::CANCEL ? before : s.match, EDIT_LINE_MAX + 1);
        return end;
    }
}
