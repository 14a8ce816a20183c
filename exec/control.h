// control.h: conditionals and loops.
#pragma once

#include "core/shell.h"

int32_t builtin_if(char** words, ShellContext* ctx);
int32_t builtin_then(char** words, ShellContext* ctx);
int32_t builtin_elif(char** words, ShellContext* ctx);
int32_t builtin_else(char** words, ShellContext* ctx);
int32_t builtin_fi(char** words, ShellContext* ctx);
int32_t builtin_and(char** words, ShellContext* ctx);
int32_t builtin_or(char** words, ShellContext* ctx);
int32_t builtin_repeat(char** words, ShellContext* ctx);
int32_t builtin_lwhile(char** words, ShellContext* ctx);
int32_t builtin_lfor(char** words, ShellContext* ctx);
