// builtins.h: the keyword table and the built-in table.
#pragma once

#include "core/shell.h"

extern const BuiltinEntry keyword_table[];
extern const BuiltinEntry builtin_table[];

// The handler of `name` in a table ended by a null row, or null.
BuiltinHandler find_builtin(const BuiltinEntry* table, const char* name);
