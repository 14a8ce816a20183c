// expand.h: parameter expansion with its operators and modifier lists.
#pragma once

#include "core/shell.h"

// Expands `name_text` (a base name, optionally an operator from "#%-=+:" and its argument)
// into out (out_size bytes, at least 1), using the whole buffer as working room. False when the
// result does not fit (out is then empty): a value is whole or not there, never cut. Unset
// names give empty text.
bool expand_parameter(const char* name_text, ShellContext* ctx, char* out, size_t out_size);
// Applies the one-letter modifiers of `list` from left to right to value (a buffer of `size`
// bytes, changed in place); bytes that are not modifier letters are skipped. False when a
// result does not fit.
bool apply_modifiers(char* value, size_t size, const char* list, ShellContext* ctx);
