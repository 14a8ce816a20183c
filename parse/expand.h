// expand.h: parameter expansion with its operators and modifier lists.
#pragma once

#include "core/shell.h"

// Expands `name_text` (a base name, optionally an operator from "#%-=+:" and its argument)
// into out, which holds EXPANSION_SIZE bytes. Never fails: unset names give empty text.
void expand_parameter(const char* name_text, ShellContext* ctx, char* out);
// Applies the one-letter modifiers of `list` from left to right to value (EXPANSION_SIZE
// bytes, changed in place); bytes that are not modifier letters are skipped.
void apply_modifiers(char* value, const char* list, ShellContext* ctx);
