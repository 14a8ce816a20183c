// arith.h: integer expressions and the @ built-in.
#pragma once

#include "core/shell.h"

// Value of an infix expression (signed 32-bit, wrapping); 0 for empty text.
int32_t eval_expr(const char* text);
// @ name=expression ...: 0, or -1 at the first argument without '=' after its name.
int32_t builtin_at(char** words, ShellContext* ctx);
