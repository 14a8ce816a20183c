// copy_stop.h: stopping a file copy under way, from the console's control thread.
#pragma once

#include <windows.h>

// Asks the copy under way, if any, to stop, and waits (a few seconds at most) until it has
// stopped and its partial file is gone.
void stop_copy_and_wait();
// The console's control handler for its closing, log-off and shut-down (and for Ctrl-C and
// Ctrl-Break while no other handler takes them): the system ends the process once the
// handlers return, so the copy is stopped and cleaned up first.
BOOL WINAPI on_console_end(DWORD event);
