// line_input.h: the two keyboard line inputs, the prompt's editor and the $< input.
#pragma once

#include "core/shell.h"

#include <cstddef>

constexpr size_t LOOP_BUFFER_SIZE = 2048; // the read-eval loop's buffer
constexpr size_t KEYBOARD_LINE_SIZE = 1024;

// Edits one line at the prompt into line (LOOP_BUFFER_SIZE bytes, the line kept within 1024);
// returns when it is accepted, after adding it to the history. Returns false at the end of
// input (the terminal went away).
bool edit_line(char* line, ShellContext* ctx, int prompt_width);
// Reads one line for $< into line (KEYBOARD_LINE_SIZE bytes) with the bindable control keys.
// On input that is not a terminal it reads a plain line (empty at the end of input).
void read_keyboard_line(char* line, ShellContext* ctx);
// Builds the completion pattern of the line's last word into pattern (`size` bytes); returns
// the insertion point in line.
char* completion_pattern(char* pattern, size_t size, char* line);
