// line_input.h: the two keyboard line inputs, the prompt's editor and the $< input.
#pragma once

#include "core/shell.h"

#include <cstddef>
#include <cstdint>

constexpr size_t LOOP_BUFFER_SIZE = 2048; // the read-eval loop's buffer
constexpr size_t KEYBOARD_LINE_SIZE = 1024;
constexpr size_t EDIT_LINE_MAX = 1023; // bytes of text edit_line keeps, before its NUL

// Action bytes of the key-action table (read by read_keyboard_line, written by ctrlkey).
constexpr uint8_t KEY_RUN_COMMAND = 0x80;  // run "c<code> <text>" first
constexpr uint8_t KEY_ERASE_LINE = 0x40;   // rub out and empty the text
constexpr uint8_t KEY_REPRINT = 0x20;      // print the text again
constexpr uint8_t KEY_KEEP_HISTORY = 0x10; // keep the history position to the next key
constexpr uint8_t KEY_CODE_MASK = 0x3F;    // the action code in the low six bits
constexpr uint8_t KEY_ACCEPT = 1;
constexpr uint8_t KEY_RUBOUT = 2;
constexpr uint8_t KEY_COMPLETE = 3;
constexpr uint8_t KEY_INSERT_UNDERSCORE = 4;
constexpr uint8_t KEY_OLDER = 0x11;
constexpr uint8_t KEY_NEWER = 0x12;

// Edits one line at the prompt into line (LOOP_BUFFER_SIZE bytes, the line kept within 1024);
// returns when it is accepted, after adding it to the history. Returns false at the end of
// input (the terminal went away).
bool edit_line(char* line, ShellContext* ctx, int prompt_width);
// Reads one line for $< into line (KEYBOARD_LINE_SIZE bytes) with the bindable control keys.
// On input that is not a terminal it reads a plain line (empty at the end of input).
void read_keyboard_line(char* line, ShellContext* ctx);
// Builds the completion pattern of the line's last word into pattern (`size` bytes); returns
// the insertion point in line. The pattern is empty when the word does not fit.
char* completion_pattern(char* pattern, size_t size, char* line);
