// program_line.h: the command line a program is started with, batch files made safe.
#pragma once

#include <cstddef>
#include <cstdint>

// The longest command line the system takes, with its terminator.
constexpr size_t PROGRAM_LINE_SIZE = 32768;

// Whether the program word of `line` names a batch file (.bat or .cmd, in any case; dots and
// blanks at the end, which the system ignores, do not hide it).
bool names_batch_file(const char* line);

// Whether the program word of `line` names a file that exists, given with its folder or found
// by the system's search for programs; a name too long to look up counts as found.
bool program_file_exists(const char* line);

// The line for cmd.exe that runs the batch file of `line` with every argument as text:
// `cmd.exe /d /e:ON /v:OFF /c ""NAME" ARG..."`, each argument of the line (cut by the rules of
// Windows programs) written so that cmd.exe takes every byte of it literally. 0, or the error
// code: ERROR_BAD_ARGUMENTS for an argument no quoting can make safe (a line break),
// ERROR_FILENAME_EXCED_RANGE when the result does not fit `size` bytes.
uint32_t make_batch_line(const char* line, char* out, size_t size);
