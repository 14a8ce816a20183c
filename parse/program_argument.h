// program_argument.h: one argument of a program's command line, written and read back by the
// rules of the Windows C runtime, which the POSIX layer also cuts command lines by.
#pragma once

#include <cstddef>

// Rewrites value (a buffer of `size` bytes) in place so that a program reads it as exactly one
// argument: in double quotes when it is empty or holds a blank, a tab or a double quote, each
// double quote behind a backslash, and backslashes doubled before a quote. False, value
// unchanged, when the result does not fit.
bool quote_argument(char* value, size_t size);
// When text (blanks aside) is one double-quoted argument and nothing else, writes it into out
// (`size` bytes) with the quotes and escapes removed and returns true; otherwise (also when it
// does not fit) false.
bool unquote_whole_argument(const char* text, char* out, size_t size);
