// history.h: the ring of accepted lines in the function store.
#pragma once

#include "core/shell.h"

// Stores text as the newest entry (empty text and lines of 1022 bytes or more are not stored).
void history_add(ShellContext* ctx, const char* text);
// Copies the k-th most recent entry with its NUL into destination (1024 bytes): 1, or 0 when
// k < 1 or there are fewer than k entries.
int history_get(ShellContext* ctx, int k, char* destination);
