// listings.h: ls, du, cat and df, and the fields of the long listing.
#pragma once

#include "core/shell.h"

// Writes value in decimal, right-aligned in at least `width` bytes (room: width or 20, plus
// the terminator); returns the terminator's position.
char* format_right(char* dst, uint64_t value, int width);
// Writes the 15 attribute letters of the long listing and a terminator; returns its position.
char* format_attributes(char* dst, uint32_t attributes);

int32_t builtin_ls(char** words, ShellContext* ctx);
int32_t builtin_du(char** words, ShellContext* ctx);
int32_t builtin_cat(char** words, ShellContext* ctx);
int32_t builtin_df(char** words, ShellContext* ctx);
