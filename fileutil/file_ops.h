// file_ops.h: the primitive file operations and rm, rmdir, mkdir, chmod, mv and cp.
#pragma once

#include "core/shell.h"

// Each operation writes its trace line (under OPT_TRACE) before it acts and an error line
// (the first path, then ":rm error" and so on) when the system refuses.
void op_delete(const char* path, ShellContext* ctx);
void op_rmdir(const char* path, ShellContext* ctx);
void op_mkdir(const char* path, ShellContext* ctx);
// Sets (attributes OR the chmod set mask) AND the chmod clear mask.
void op_chmod(const char* path, uint32_t attributes, ShellContext* ctx);
void op_move(const char* from, const char* to, ShellContext* ctx);
void op_copy(const char* from, const char* to, ShellContext* ctx);

// How mv and cp place each entry.
constexpr int DEST_FILE = 0;      // every entry goes to the destination itself
constexpr int DEST_DIRECTORY = 1; // destination, '/', entry name
constexpr int DEST_DRIVE = 2;     // a drive, drive root or root: the name follows directly

// The mode for a destination text whose attribute word is `attributes` (or ATTR_INVALID).
int destination_mode(const char* destination, uint32_t attributes);
// Fills dest_path and dest_tail for the destination; false (after an error line) when it does
// not fit dest_path with room for a '/' and a name.
bool set_destination(const char* destination, ShellContext* ctx);
// Collapses every run of '/' and '\' into its first byte, in place; returns the terminator.
char* collapse_slashes(char* text);
// True when, with names that ignore case (`case_blind`), destination is source itself written
// with other letter cases: mv then renames the entry instead of moving it into itself.
bool names_same_entry(const char* source, const char* destination, bool case_blind);

int32_t builtin_rm(char** words, ShellContext* ctx);
int32_t builtin_rmdir(char** words, ShellContext* ctx);
int32_t builtin_mkdir(char** words, ShellContext* ctx);
int32_t builtin_chmod(char** words, ShellContext* ctx);
int32_t builtin_mv(char** words, ShellContext* ctx);
int32_t builtin_cp(char** words, ShellContext* ctx);
