// history.cpp: the history ring of accepted lines and browsing through it.
#include "console/history.h"

#include "parse/strings.h"

#include <cstring>

// The ring outgrew the function store's 1024 bytes; it lives here, in the program's zeroed
// data, and the store keeps its two running indices.
static char history_ring[HISTORY_RING_SIZE];

static char* ring_byte(uint32_t index) { return &history_ring[index % HISTORY_RING_SIZE]; }

// Drops the oldest entry: its bytes up to and including the NUL.
static void drop_oldest(FunctionStore* store)
{
    while (store->history_oldest != store->history_next) {
        char c = *ring_byte(store->history_oldest);
        ++store->history_oldest;
        if (!c)
            return;
    }
}

void history_add(ShellContext* ctx, const char* text)
{
    FunctionStore* store = ctx->store;
    size_t length = std::strlen(text);
    // An entry is read back into a line of HISTORY_LINE_SIZE bytes; a longer one is not kept.
    if (length == 0 || length + 1 > HISTORY_LINE_SIZE)
        return;
    while (HISTORY_RING_SIZE - (store->history_next - store->history_oldest) < length + 3)
        drop_oldest(store);
    for (size_t i = 0; i <= length; ++i)
        *ring_byte(store->history_next++) = text[i];
}

HistoryPlace history_end(ShellContext* ctx) { return ctx->store->history_next; }

HistoryPlace history_start(ShellContext* ctx) { return ctx->store->history_oldest; }

const char* history_bytes() { return history_ring; }

// Whether place is an entry the ring still holds (running indices, so by distance).
static bool held(const FunctionStore* store, HistoryPlace place)
{
    return place - store->history_oldest < store->history_next - store->history_oldest;
}

bool history_older(ShellContext* ctx, HistoryPlace* place)
{
    FunctionStore* store = ctx->store;
    uint32_t p = *place;
    if (p == store->history_oldest || (p != store->history_next && !held(store, p)))
        return false;
    uint32_t q = p - 2; // the previous entry's last byte, before its NUL
    while (q != store->history_oldest && *ring_byte(q))
        --q;
    *place = *ring_byte(q) ? q : q + 1;
    return true;
}

bool history_newer(ShellContext* ctx, HistoryPlace* place)
{
    FunctionStore* store = ctx->store;
    if (!held(store, *place))
        return false;
    uint32_t p = *place;
    while (*ring_byte(p))
        ++p;
    *place = p + 1;
    return *place != store->history_next;
}

void history_copy(ShellContext* ctx, HistoryPlace place, char* destination)
{
    (void)ctx;
    for (size_t i = 0; i < HISTORY_LINE_SIZE; ++i) {
        destination[i] = *ring_byte(place++);
        if (!destination[i])
            return;
    }
    destination[HISTORY_LINE_SIZE - 1] = 0; // not reached: longer entries are not stored
}

int history_get(ShellContext* ctx, int k, char* destination)
{
    if (k < 1)
        return 0;
    HistoryPlace place = history_end(ctx);
    for (int i = 0; i < k; ++i)
        if (!history_older(ctx, &place))
            return 0;
    history_copy(ctx, place, destination);
    return 1;
}

void history_reset(HistoryBrowse* browse)
{
    browse->index = 0;
    browse->place = 0;
    browse->saved[0] = 0;
}

// Moves one entry in the direction of step; false when it runs off that end.
static bool step_once(ShellContext* ctx, HistoryBrowse* browse, int step)
{
    if (browse->index == 0)
        browse->place = history_end(ctx);
    if (step > 0 ? !history_older(ctx, &browse->place) : !history_newer(ctx, &browse->place))
        return false;
    browse->index += step;
    return browse->index > 0;
}

void history_step(ShellContext* ctx, HistoryBrowse* browse, int step, char* line)
{
    char candidate[HISTORY_LINE_SIZE];
    if (step > 0 && browse->index == 0)
        copy_bounded(browse->saved, line, sizeof browse->saved);
    do {
        if (step_once(ctx, browse, step)) {
            history_copy(ctx, browse->place, candidate);
        } else {
            copy_end(candidate, browse->saved);
            browse->index = 0;
        }
    } while (browse->saved[0] && prefix_of(browse->saved, candidate) != 0);
    copy_end(line, candidate);
}
