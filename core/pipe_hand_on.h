// pipe_hand_on.h: the pipe a line that ends with `|` hands to the next line of its own text.
#pragma once

#include "core/shell.h"

// Pipes are known by their serial number (0: none), never by their handle, which the system
// gives out again once a pipe is closed.
struct PipeHandOn {
    uint32_t outer; // the pipe pending when the text began: its caller's, never closed here
    uint32_t left;  // the pipe the text's last line left open for the next one
};

// The serial number of the pending pipe, 0 when none is pending.
uint32_t pending_serial(const ShellContext* ctx);
// Closes the pending pipe when it is the one numbered `serial`.
void close_pipe_if(uint32_t serial, ShellContext* ctx);
// Closes whatever pipe is pending.
void drop_pending_pipe(ShellContext* ctx);
void pipe_hand_on_start(PipeHandOn* hand, ShellContext* ctx);
// After each line of the text: a pipe the previous line left and this one did not take is
// closed, so no later program reads stale output; the pipe this line left waits for the next.
void pipe_after_line(PipeHandOn* hand, ShellContext* ctx);
// At the end of the text: closes the pipe its last line left; true when there was one.
bool pipe_close_left(PipeHandOn* hand, ShellContext* ctx);
