// prompt_width.h: the columns a prompt leaves the line, whatever sequences and rows it holds.
#pragma once

#include <cstddef>

// Bytes of the terminal sequence at text + at: ESC [ ... up to its final byte, ESC ] ... up to
// BEL or ESC \, ESC and intermediate bytes up to a final one, or ESC and one byte; 0 when no
// sequence starts there.
size_t sequence_length_at(const char* text, size_t at);
// Columns that the last row of the prompt takes: sequences and other control bytes take none,
// a line feed or carriage return starts a new row. Its first byte's index in `last_row`.
int prompt_columns(const char* prompt, size_t* last_row);
