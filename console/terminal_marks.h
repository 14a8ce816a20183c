// terminal_marks.h: the prompt, and the marks that tell a terminal where each prompt and command
// is, what it ended with and which folder the shell is in.
#pragma once

#include "core/shell.h"

// Writes the prompt at the terminal. Where the terminal takes the marks (VRELTERM=osc, or
// WT_SESSION set and VRELTERM not none, with output to a terminal) it writes first the end of
// the command line before (OSC 133;D;status), the folder (OSC 9;9 and the window title OSC 0)
// and the start of the prompt (OSC 133;A), and after the prompt the start of input (133;B).
void show_prompt(ShellContext* ctx, const char* prompt);
// The line was accepted and is about to run: OSC 133;C where the terminal takes the marks.
void mark_command_start();
