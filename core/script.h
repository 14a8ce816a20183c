// script.h: the line reader, scripts, eval, exec, exit and shift.
#pragma once

#include "core/shell.h"

#include <cstddef>

constexpr size_t READER_BUFFER_SIZE = 16384;
constexpr size_t SCRIPT_LINE_MAX = 1024;

// How the line that reader_line handed out last ended.
constexpr uint8_t READER_FEED = 0; // at its line feed
constexpr uint8_t READER_LAST = 1; // at the end of the file, without a line feed
constexpr uint8_t READER_CUT = 2;  // max bytes were stored and the line goes on

// How the reader takes the file's bytes: as they are, or as a script's text (script_text.cpp).
constexpr uint8_t READ_BYTES = 0;
constexpr uint8_t READ_SCRIPT_START = 1; // before the first block: its byte-order mark decides
constexpr uint8_t READ_SCRIPT_BYTES = 2;
constexpr uint8_t READ_UTF16_LE = 3;
constexpr uint8_t READ_UTF16_BE = 4;

struct LineReader {
    SysHandle file;
    char* next;         // next byte not yet handed out
    char* end;          // one past the last valid byte; null when nothing has been read
    bool at_end;        // a read gave nothing: a terminal's end of input is read only once
    uint8_t ending;     // READER_FEED, READER_LAST or READER_CUT
    uint8_t form;       // one of READ_...
    const char* fault;  // why a script's text could not be read, or null
    uint8_t carry_size; // bytes of a UTF-16 character cut by the end of the last block
    char carry[3];
    char buffer[READER_BUFFER_SIZE];
    LineReader()
        : file(SYS_NO_HANDLE), next(nullptr), end(nullptr), at_end(false), ending(READER_FEED),
          form(READ_BYTES), fault(nullptr), carry_size(0), carry{}
    {
    }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader();
};

// Opens an existing file with no sharing: 1, or 0 when it cannot be opened.
int reader_open(LineReader* reader, const char* name);
// The same for a script: a UTF-8 byte-order mark is skipped, UTF-16 with its mark is read as
// the shell's text, and a file that is not text ends at once with `fault` set.
int reader_open_script(LineReader* reader, const char* name);
// The next block of a script's text into the buffer (script_text.cpp): its size, or 0 at the
// end, also at a fault.
int64_t reader_read_script(LineReader* reader);
// Copies the next line into out (max + 1 bytes) without its carriage returns and sets
// `ending`: its length plus one, or 0 at the end. A line longer than max bytes comes as its
// first max bytes (READER_CUT); the next call goes on with the rest of it.
int reader_line(LineReader* reader, char* out, size_t max);
// Passes over the rest of the line that the last reader_line call cut.
void reader_skip_line(LineReader* reader);
// Hands out, in place, the bytes read already from the reader's position up to the last line
// feed before any carriage return. Returns their count with *start set to them, or 0 when the
// next bytes need reader_line (or at the end).
size_t reader_whole_lines(LineReader* reader, const char** start);
void reader_close(LineReader* reader);

int32_t builtin_source(char** words, ShellContext* ctx);
int32_t builtin_eval(char** words, ShellContext* ctx);
int32_t builtin_exec(char** words, ShellContext* ctx);
int32_t builtin_exit(char** words, ShellContext* ctx);
int32_t builtin_shift(char** words, ShellContext* ctx);
