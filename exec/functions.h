// functions.h: shell functions kept in the function store.
#pragma once

#include "core/shell.h"

// The body of the function `name` (after the name's NUL), or null.
const char* func_find(ShellContext* ctx, const char* name);
void func_remove(ShellContext* ctx, const char* name);
// Defines name with an empty body: true, or false when it cannot be stored.
bool func_define(ShellContext* ctx, const char* name);
// Adds a body line to the last function, or ends a definition on "}".
void func_add_line(ShellContext* ctx, const char* line);
// Ends the definition being collected, as a "}" line would.
void func_end_definition(ShellContext* ctx);
// Ends the definition being collected and removes that function whole: a body cut short
// would do something else than it says.
void func_drop_definition(ShellContext* ctx);
// Fills the store's key-action table with the defaults.
void reset_key_actions(FunctionStore* store);

int32_t builtin_function(char** words, ShellContext* ctx);
int32_t builtin_unfunc(char** words, ShellContext* ctx);
