// test.h: the test built-in, also known as [.
#pragma once

#include "core/shell.h"

// The attribute word of a path, or -1 when the query fails or gives 0.
int32_t get_attributes(const char* path);
int32_t builtin_test(char** words, ShellContext* ctx);
