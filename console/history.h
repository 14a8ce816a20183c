// history.h: the ring of accepted lines and browsing through it.
#pragma once

#include "core/shell.h"

#include <cstddef>
#include <cstdint>

constexpr size_t HISTORY_LINE_SIZE = 1024; // a recalled line with its NUL fits this
// The ring's bytes: room for 10,000 lines of 200 bytes, and a power of two so that the running
// indices of the function store (which wrap at 32 bits) address it directly.
constexpr size_t HISTORY_RING_SIZE = size_t{1} << 21;

// Stores text as the newest entry (empty text and lines of 1024 bytes or more are not stored).
void history_add(ShellContext* ctx, const char* text);
// Copies the k-th most recent entry with its NUL into destination (1024 bytes): 1, or 0 when
// k < 1 or there are fewer than k entries.
int history_get(ShellContext* ctx, int k, char* destination);

// A place in the history: the running index of an entry's first byte, or history_next for
// "after the newest".
using HistoryPlace = uint32_t;
// The entry before place (one older); false when place is the oldest or no longer held.
bool history_older(ShellContext* ctx, HistoryPlace* place);
// The entry after place (one newer); false past the newest.
bool history_newer(ShellContext* ctx, HistoryPlace* place);
// Copies the entry at place into destination (1024 bytes).
void history_copy(ShellContext* ctx, HistoryPlace place, char* destination);
// The place after the newest entry.
HistoryPlace history_end(ShellContext* ctx);
// The oldest entry still held.
HistoryPlace history_start(ShellContext* ctx);
// The ring itself, for a search that reads it in place: the byte of running index i is at
// i % HISTORY_RING_SIZE.
const char* history_bytes();

// Browsing state of one line input: the index (0 = not browsing), where it stands and the
// text typed before.
struct HistoryBrowse {
    int index;
    HistoryPlace place;
    char saved[HISTORY_LINE_SIZE];
};
// Starts browsing afresh: index 0, saved text empty.
void history_reset(HistoryBrowse* browse);
// One step older (+1) or newer (-1) among the entries that begin with the saved text; running
// off either end brings the saved text back. Replaces line (1024 bytes) by the result.
void history_step(ShellContext* ctx, HistoryBrowse* browse, int step, char* line);
