// history_search.h: Ctrl-R, the incremental search of the history from the prompt.
#pragma once

#include "console/history.h"
#include "console/line_screen.h"
#include "console/line_text.h"

constexpr size_t SEARCH_TEXT_SIZE = 256;

// How a search ended.
enum class SearchEnd {
    ACCEPT,       // Enter: run the line shown
    CANCEL,       // Esc or Ctrl-G: the line as it was before the search
    KEY,          // another key: the line shown stays, and the key is the editor's to act on
    END_OF_INPUT, // the terminal went away
};

// Searches the history from the newest entry back while keys narrow it, drawing its row on
// the screen; leaves the chosen line in line (EDIT_LINE_MAX + 1 bytes) and the key that
// ended the search in *key.
SearchEnd history_search(ShellContext* ctx, KeyInput* keys, LineScreen* screen, char* line,
                         KeyPress* key);
// Finds, from place (not included) towards older entries, the newest entry holding text in
// any case of its letters; true with place at it.
bool history_find_older(ShellContext* ctx, const char* text, HistoryPlace* place);
