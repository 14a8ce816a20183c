// pipe_hand_on.cpp: a pipe left open by a line goes to the next line of the same text, or closes.
#include "core/pipe_hand_on.h"

uint32_t pending_serial(const ShellContext* ctx)
{
    // The pending pipe is always the last one made: a command that makes one takes the old.
    return ctx->pending_pipe != SYS_NO_HANDLE ? ctx->pipe_serial : 0;
}

void close_pipe_if(uint32_t serial, ShellContext* ctx)
{
    if (serial == 0 || pending_serial(ctx) != serial)
        return;
    sys_close(ctx->pending_pipe);
    ctx->pending_pipe = SYS_NO_HANDLE;
}

void drop_pending_pipe(ShellContext* ctx) { close_pipe_if(pending_serial(ctx), ctx); }

void pipe_hand_on_start(PipeHandOn* hand, ShellContext* ctx)
{
    hand->outer = pending_serial(ctx);
    hand->left = 0;
}

void pipe_after_line(PipeHandOn* hand, ShellContext* ctx)
{
    close_pipe_if(hand->left, ctx);
    uint32_t now = pending_serial(ctx);
    hand->left = now != hand->outer ? now : 0;
}

bool pipe_close_left(PipeHandOn* hand, ShellContext* ctx)
{
    bool open = hand->left != 0 && pending_serial(ctx) == hand->left;
    close_pipe_if(hand->left, ctx);
    hand->left = 0;
    return open;
}
