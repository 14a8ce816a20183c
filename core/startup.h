// startup.h: the process entry, the context and the recovery point.
#pragma once

#include "core/shell.h"

// The one context of the process.
extern ShellContext shell_context;

// Sets the start values of ctx and allocates and fills its function store.
void init_context(ShellContext* ctx);
// Runs start-up for the command line; returns only in interactive mode... never returns.
[[noreturn]] void shell_main();
