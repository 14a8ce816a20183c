// script.h: the line reader, scripts, eval, exec, exit and shift.
#pragma once

#include "core/shell.h"

#include <cstddef>

constexpr size_t READER_BUFFER_SIZE = 16384;
constexpr size_t SCRIPT_LINE_MAX = 1024;

struct LineReader {
    SysHandle file;
    char* next; // next byte not yet handed out
    char* end;  // one past the last valid byte; null when nothing has been read
    char buffer[READER_BUFFER_SIZE];
    LineReader() : file(SYS_NO_HANDLE), next(nullptr), end(nullptr) {}
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader();
};

// Opens an existing file with no sharing: 1, or 0 when it cannot be opened.
int reader_open(LineReader* reader, const char* name);
// Copies the next line into out (max + 1 bytes): its length plus one, or 0 at the end.
int reader_line(LineReader* reader, char* out, size_t max);
// Hands out, in place, the longest run of whole lines at the reader's position that
// reader_line would hand out unchanged: each shorter than max bytes and without carriage
// returns. Returns the run's length with *start set to it, or 0 when the next line needs
// reader_line (or at the end).
size_t reader_whole_lines(LineReader* reader, size_t max, const char** start);
void reader_close(LineReader* reader);

int32_t builtin_source(char** words, ShellContext* ctx);
int32_t builtin_eval(char** words, ShellContext* ctx);
int32_t builtin_exec(char** words, ShellContext* ctx);
int32_t builtin_exit(char** words, ShellContext* ctx);
int32_t builtin_shift(char** words, ShellContext* ctx);
