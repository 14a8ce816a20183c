// expand.h: parameter expansion with its operators and modifier lists.
#pragma once

#include "core/shell.h"

// Expands `name_text` (a base name, optionally an operator from "#%-=+:" and its argument)
// into out, which holds EXPANSION_SIZE bytes. Never fails: unset names give empty text.
void expand_parameter(const char* name_text, ShellContext* ctx, char* out);
