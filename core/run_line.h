// run_line.h: line execution and command dispatch.
#pragma once

#include "core/shell.h"

// Runs one command line (not changed); 0 when it has no words or went to a definition.
int32_t run_line(const char* text, ShellContext* ctx);
// Runs one command given as an argument vector (element 0 is the command name).
int32_t run_one(char** argv, ShellContext* ctx);
// A keyword, function or built-in run here, or NOT_HANDLED.
int32_t dispatch(char** argv, ShellContext* ctx);
// Runs a function body for argv in a new argument frame.
int32_t call_function(char** argv, const char* body, ShellContext* ctx);
// Moves every element (and the terminator) one place up and puts "vrel" in element 0.
void insert_shell_name(char** argv);

// Opens argument frame levels and closes them again when the work ends or is abandoned, so
// that an interrupt never leaves a frame pointing at words that no longer exist.
struct FrameGuard {
    ShellContext* ctx;
    bool opened;
    FrameGuard(ShellContext* c, char** words);
    FrameGuard(const FrameGuard&) = delete;
    FrameGuard& operator=(const FrameGuard&) = delete;
    ~FrameGuard();
};
