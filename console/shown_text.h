// shown_text.h: names and values shown on a terminal, with their control bytes made visible.
#pragma once

#include <cstddef>

// The number of bytes of the control character at text (a byte below 32, 127, and in UTF-8 a
// C1 code U+0080..U+009F), 0 when text begins with none.
size_t control_length(const char* text);
// Copies text into dst (size bytes, always terminated, cut at its end) with each control
// character as one '?'. Returns how many bytes of text it took.
size_t shown_copy(char* dst, size_t size, const char* text);
// Writes text as out_str does; on a terminal each control character is shown as '?', so a name
// or value never moves the cursor or sets a colour or title. A file or pipe gets every byte.
void out_shown(const char* text);
