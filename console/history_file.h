// history_file.h: the history file shared by every interactive shell of the user.
#pragma once

#include "core/shell.h"

#include <cstddef>
#include <cstdint>

constexpr size_t HISTORY_PATH_SIZE = 1024;
constexpr uint64_t HISTORY_FILE_LIMIT = uint64_t{1} << 20; // past it the file keeps its newest half

// At the interactive start: finds the file (VRELHISTORY, else the platform's place; set but
// empty, no file), makes its folder and loads its lines into the history. Until it is called
// no line goes to a file.
void history_file_start(ShellContext* ctx);
// Keeps a line accepted at the prompt: in the history, and appended to the file unless it
// begins with a blank.
void history_keep(ShellContext* ctx, const char* line);
// Stops using the file (for tests that start it).
void history_file_stop();
