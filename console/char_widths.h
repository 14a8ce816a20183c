// char_widths.h: the screen columns a character takes, the same on every platform.
#pragma once

#include <cstddef>
#include <cstdint>

// Columns of the code point c on a terminal: 0 for combining marks, joiners and variation
// selectors, 2 for East Asian wide characters and emoji, otherwise 1.
int char_columns(uint32_t c);
