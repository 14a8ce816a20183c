// arith.h: integer expressions and the @ built-in.
#pragma once

#include "core/shell.h"

// Value of an infix expression (signed 32-bit, wrapping); 0 for empty text and for one that
// does not fit the evaluator's stacks.
int32_t eval_expr(const char* text);
// The same value into *value; false (and 0) when the expression does not fit the stacks.
bool eval_expr_whole(const char* text, int32_t* value);
// @ name=expression ...: 0, or -1 at the first argument without '=' after its name or with
// an expression too long to evaluate ("@:expression too long"); the ones before stay assigned.
int32_t builtin_at(char** words, ShellContext* ctx);
