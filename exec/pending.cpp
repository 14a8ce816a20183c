// pending.cpp: placeholders until command execution lands; removed by it.
#include "exec/command.h"
#include "exec/control.h"
#include "exec/functions.h"
#include "exec/simple.h"
#include "exec/test.h"
char** next_command(char** argv, char** words, ShellContext*) { while (*words) *argv++ = *words++; *argv = nullptr; return words; }
int32_t run_external(char**, ShellContext*) { return -2; }
int32_t start_program(const char*, ShellContext*, SysHandle, SysHandle, SysHandle) { return -2; }
SysHandle open_output(const char* n, bool a) { return sys_open_output(n, a); }
SysHandle open_input(const char* n, bool i) { return sys_open_input(n, i); }
const char* func_find(ShellContext*, const char*) { return nullptr; }
void func_remove(ShellContext*, const char*) {}
bool func_define(ShellContext*, const char*) { return false; }
void func_add_line(ShellContext*, const char*) {}
void reset_key_actions(FunctionStore*) {}
int32_t builtin_function(char**, ShellContext*) { return 0; }
int32_t builtin_unfunc(char**, ShellContext*) { return 0; }
int32_t builtin_if(char**, ShellContext*) { return 0; }
int32_t builtin_then(char**, ShellContext*) { return 0; }
int32_t builtin_elif(char**, ShellContext*) { return 0; }
int32_t builtin_else(char**, ShellContext*) { return 0; }
int32_t builtin_fi(char**, ShellContext*) { return 0; }
int32_t builtin_and(char**, ShellContext*) { return 0; }
int32_t builtin_or(char**, ShellContext*) { return 0; }
int32_t builtin_repeat(char**, ShellContext*) { return 0; }
int32_t builtin_lwhile(char**, ShellContext*) { return 0; }
int32_t builtin_lfor(char**, ShellContext*) { return 0; }
int32_t get_attributes(const char*) { return -1; }
int32_t builtin_test(char**, ShellContext*) { return 0; }
int32_t builtin_set(char**, ShellContext*) { return 0; }
int32_t builtin_unset(char**, ShellContext*) { return 0; }
int32_t builtin_echo(char**, ShellContext*) { return 0; }
int32_t builtin_cd(char**, ShellContext*) { return 0; }
int32_t builtin_true(char**, ShellContext*) { return 0; }
int32_t builtin_colon(char**, ShellContext*) { return 0; }
int32_t builtin_drv(char**, ShellContext*) { return 0; }
int32_t builtin_ctrlkey(char**, ShellContext*) { return 0; }
