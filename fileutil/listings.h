// listings.h: ls, du, cat and df.
#pragma once

#include "core/shell.h"

int32_t builtin_ls(char** words, ShellContext* ctx);
int32_t builtin_du(char** words, ShellContext* ctx);
int32_t builtin_cat(char** words, ShellContext* ctx);
int32_t builtin_df(char** words, ShellContext* ctx);
