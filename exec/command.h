// command.h: the command splitter, redirection, pipes and external programs.
#pragma once

#include "core/shell.h"

// The longest command line the system takes: 32767 bytes and the terminator.
constexpr size_t COMMAND_LINE_SIZE = 32768;

// Takes one command off words into argv (null-terminated), recording its redirections and
// separator in ctx; returns the rest of the word list. operators[i] says whether words[i] is
// an operator word of the line's text; no other word separates or redirects.
char** next_command(char** argv, char** words, const bool* operators, ShellContext* ctx);
// Joins the words with single blanks into line (COMMAND_LINE_SIZE bytes), the program's name
// in double quotes when it holds a blank; with `quoted` each word is written as the word
// reader reads it back (for a child shell). False when the result
// does not fit; nothing past the buffer is written.
bool join_words(char* line, char** argv, bool quoted);
// Starts argv as a program with the command's redirections and pipe: 0, or the negated system
// error code.
int32_t run_external(char** argv, ShellContext* ctx);
// Starts a joined command line with the given standard handles (SYS_NO_HANDLE: the shell's).
int32_t start_program(const char* line, ShellContext* ctx, SysHandle input, SysHandle output,
                      SysHandle error);
SysHandle open_output(const char* name, bool append);
SysHandle open_input(const char* name, bool inheritable);
