// history.cpp: the history ring of accepted lines and browsing through it.
#include "console/history.h"

#include "parse/strings.h"

#include <cstring>

static char* ring_byte(FunctionStore* store, uint32_t index)
{
    return &store->history_ring[index % HISTORY_SIZE];
}

// Drops the oldest entry: its bytes up to and including the NUL.
static void drop_oldest(FunctionStore* store)
{
    while (store->history_oldest != store->history_next) {
        char c = *ring_byte(store, store->history_oldest);
        ++store->history_oldest;
        if (!c)
            return;
    }
}

void history_add(ShellContext* ctx, const char* text)
{
    FunctionStore* store = ctx->store;
    size_t length = std::strlen(text);
    // An entry needs its NUL and two free bytes besides; a longer line could never fit.
    if (length == 0 || length + 3 > HISTORY_SIZE)
        return;
    while (HISTORY_SIZE - (store->history_next - store->history_oldest) < length + 3)
        drop_oldest(store);
    for (size_t i = 0; i <= length; ++i)
        *ring_byte(store, store->history_next++) = text[i];
}

// The start of the entry that ends just before p (running indices; p is past oldest).
static uint32_t entry_before(FunctionStore* store, uint32_t p)
{
    uint32_t q = p - 2; // the previous entry's last byte, before its NUL
    while (q != store->history_oldest && *ring_byte(store, q))
        --q;
    return *ring_byte(store, q) ? q : q + 1;
}

int history_get(ShellContext* ctx, int k, char* destination)
{
    FunctionStore* store = ctx->store;
    if (k < 1)
        return 0;
    uint32_t p = store->history_next;
    for (int i = 0; i < k; ++i) {
        if (p == store->history_oldest)
            return 0;
        p = entry_before(store, p);
    }
    for (size_t i = 0; i < HISTORY_LINE_SIZE; ++i) {
        destination[i] = *ring_byte(store, p++);
        if (!destination[i])
            return 1;
    }
    destination[HISTORY_LINE_SIZE - 1] = 0; // not reached: entries are shorter than the ring
    return 1;
}

void history_reset(HistoryBrowse* browse)
{
    browse->index = 0;
    browse->saved[0] = 0;
}

void history_step(ShellContext* ctx, HistoryBrowse* browse, int step, char* line)
{
    char candidate[HISTORY_LINE_SIZE];
    if (step > 0 && browse->index == 0)
        copy_bounded(browse->saved, line, sizeof browse->saved);
    do {
        browse->index += step;
        if (!history_get(ctx, browse->index, candidate)) {
            copy_end(candidate, browse->saved);
            browse->index = 0;
        }
    } while (browse->saved[0] && prefix_of(browse->saved, candidate) != 0);
    copy_end(line, candidate);
}
