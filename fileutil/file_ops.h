// file_ops.h: rm, rmdir, mkdir, chmod, mv and cp.
#pragma once

#include "core/shell.h"

int32_t builtin_rm(char** words, ShellContext* ctx);
int32_t builtin_rmdir(char** words, ShellContext* ctx);
int32_t builtin_mkdir(char** words, ShellContext* ctx);
int32_t builtin_chmod(char** words, ShellContext* ctx);
int32_t builtin_mv(char** words, ShellContext* ctx);
int32_t builtin_cp(char** words, ShellContext* ctx);
