// startup_words.h: first words of the shell's own command line that ask for more than a line.
#pragma once

#include "core/shell.h"

// When the first word of `rest` (the command line after the shell's name) is --help, -h (on
// Windows also /?) or --version, prints the usage or the version and build, and ends the
// process with 0. Returns otherwise.
void answer_help_or_version(const char* rest);
// Runs the command text of command mode and returns its status. When its first word is no
// keyword, built-in or function and names a file that the system cannot start as a program,
// the line runs as `source` with that file and the other words as its arguments.
int32_t run_command_text(const char* text, ShellContext* ctx);
