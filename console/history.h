// history.h: the ring of accepted lines in the function store.
#pragma once

#include "core/shell.h"

#include <cstddef>

constexpr size_t HISTORY_LINE_SIZE = 1024; // a recalled line with its NUL fits this

// Stores text as the newest entry (empty text and lines of 1022 bytes or more are not stored).
void history_add(ShellContext* ctx, const char* text);
// Copies the k-th most recent entry with its NUL into destination (1024 bytes): 1, or 0 when
// k < 1 or there are fewer than k entries.
int history_get(ShellContext* ctx, int k, char* destination);

// Browsing state of one line input: the index (0 = not browsing) and the text typed before.
struct HistoryBrowse {
    int index;
    char saved[HISTORY_LINE_SIZE];
};
// Starts browsing afresh: index 0, saved text empty.
void history_reset(HistoryBrowse* browse);
// One step older (+1) or newer (-1) among the entries that begin with the saved text; running
// off either end brings the saved text back. Replaces line (1024 bytes) by the result.
void history_step(ShellContext* ctx, HistoryBrowse* browse, int step, char* line);
