// simple.h: variables and the small built-ins.
#pragma once

#include "core/shell.h"

int32_t builtin_set(char** words, ShellContext* ctx);
int32_t builtin_unset(char** words, ShellContext* ctx);
int32_t builtin_echo(char** words, ShellContext* ctx);
int32_t builtin_cd(char** words, ShellContext* ctx);
int32_t builtin_true(char** words, ShellContext* ctx);
int32_t builtin_colon(char** words, ShellContext* ctx);
int32_t builtin_drv(char** words, ShellContext* ctx);
int32_t builtin_ctrlkey(char** words, ShellContext* ctx);
