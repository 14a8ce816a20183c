// command.h: the command splitter, redirection, pipes and external programs.
#pragma once

#include "core/shell.h"

// Takes one command off words into argv (null-terminated), recording its redirections and
// separator in ctx; returns the rest of the word list.
char** next_command(char** argv, char** words, ShellContext* ctx);
// Starts argv as a program with the command's redirections and pipe: 0, or the negated system
// error code.
int32_t run_external(char** argv, ShellContext* ctx);
// Starts a joined command line with the given standard handles (SYS_NO_HANDLE: the shell's).
int32_t start_program(const char* line, ShellContext* ctx, SysHandle input, SysHandle output,
                      SysHandle error);
SysHandle open_output(const char* name, bool append);
SysHandle open_input(const char* name, bool inheritable);
