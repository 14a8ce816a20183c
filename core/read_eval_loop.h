// read_eval_loop.h: prompt, read a line, run it, for ever.
#pragma once

#include "core/shell.h"

// Returns only at the end of input that is not a terminal (the shell then exits).
void read_eval_loop(ShellContext* ctx);
