// pending.cpp: placeholders until the file utilities land; removed by them.
#include "fileutil/file_ops.h"
#include "fileutil/listings.h"
#include "fileutil/walk.h"
void walk_files(const char*, Visitor, ShellContext*) {}
int32_t builtin_rm(char**, ShellContext*) { return 0; }
int32_t builtin_rmdir(char**, ShellContext*) { return 0; }
int32_t builtin_mkdir(char**, ShellContext*) { return 0; }
int32_t builtin_chmod(char**, ShellContext*) { return 0; }
int32_t builtin_mv(char**, ShellContext*) { return 0; }
int32_t builtin_cp(char**, ShellContext*) { return 0; }
int32_t builtin_ls(char**, ShellContext*) { return 0; }
int32_t builtin_du(char**, ShellContext*) { return 0; }
int32_t builtin_cat(char**, ShellContext*) { return 0; }
int32_t builtin_df(char**, ShellContext*) { return 0; }
