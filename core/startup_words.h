// startup_words.h: first words of the shell's own command line that ask for more than a line.
#pragma once

#include "core/shell.h"

// When the first word of `rest` (the command line after the shell's name) is --help, -h (on
// Windows also /?) or --version, prints the usage or the version and build, and ends the
// process with 0. Returns otherwise.
void answer_help_or_version(const char* rest);
// Runs the command text of command mode and returns its status. When its first word is no
// keyword, built-in or function and names a file that the system cannot start as a program,
// the line runs as `source` with that file and the other words as its arguments; where the
// system handed the shell its arguments one by one, each reaches the script as one word.
// `marked` tells that -c stood before the text: then the words are joined into a command line,
// and a text that is one double-quoted argument alone by the rules of program command lines is
// that command line unquoted, unless it names an existing file.
int32_t run_command_text(const char* text, bool marked, ShellContext* ctx);
