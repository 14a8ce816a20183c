// script.cpp: the line reader, and the built-ins that run other text or leave the shell.
#include "core/script.h"

#include "core/run_line.h"
#include "exec/command.h"
#include "parse/strings.h"

#include <algorithm>
#include <array>
#include <cstring>

LineReader::~LineReader() { reader_close(this); }

int reader_open(LineReader* reader, const char* name)
{
    reader_close(reader);
    reader->file = open_input(name, false);
    reader->next = nullptr;
    reader->end = nullptr;
    return reader->file != SYS_NO_HANDLE ? 1 : 0;
}

// Refills the buffer when it is used up: false at the end of the file or on a read error.
static bool reader_fill(LineReader* reader)
{
    if (reader->next != reader->end)
        return true;
    int64_t count = sys_read(reader->file, reader->buffer, READER_BUFFER_SIZE);
    if (count <= 0)
        return false;
    reader->next = reader->buffer;
    reader->end = reader->buffer + count;
    return true;
}

// Appends the bytes of [from, to) to p without their carriage returns; returns the new end.
static char* copy_without_returns(char* p, const char* from, const char* to)
{
    while (from < to) {
        const char* stop = static_cast<const char*>(std::memchr(from, '\r', to - from));
        size_t run = static_cast<size_t>((stop ? stop : to) - from);
        std::memcpy(p, from, run);
        p += run;
        from += run + (stop ? 1 : 0);
    }
    return p;
}

int reader_line(LineReader* reader, char* out, size_t max)
{
    char* p = out;
    // Carriage returns count against max although they are not stored, so a line always ends
    // after max bytes of the file. The buffer is searched a run at a time, not byte by byte.
    for (size_t left = max; left > 0;) {
        if (!reader_fill(reader))
            return 0; // a last line without its line feed is never delivered
        size_t span = std::min(left, static_cast<size_t>(reader->end - reader->next));
        char* line_feed = static_cast<char*>(std::memchr(reader->next, '\n', span));
        char* stop = line_feed ? line_feed : reader->next + span;
        p = copy_without_returns(p, reader->next, stop);
        left -= static_cast<size_t>(stop - reader->next);
        reader->next = stop;
        if (line_feed) {
            ++reader->next;
            break;
        }
    }
    *p = 0;
    return static_cast<int>(p - out) + 1;
}

size_t reader_whole_lines(LineReader* reader, size_t max, const char** start)
{
    // Only what is read already: reading is reader_line's, so the end of a terminal's or a
    // pipe's input is read once and ends the file.
    if (reader->next == reader->end)
        return 0;
    char* from = reader->next;
    const char* cr = static_cast<const char*>(std::memchr(from, '\r', reader->end - from));
    const char* limit = cr ? cr : reader->end;
    const char* p = from;
    // Every line that ends within the next max bytes is shorter than max, so the run can go on
    // after the last line feed there; with short lines the search back from the window's end
    // looks at few bytes.
    while (p < limit) {
        const char* q = p + std::min(max, static_cast<size_t>(limit - p));
        while (q > p && q[-1] != '\n')
            --q;
        if (q == p)
            break;
        p = q;
    }
    *start = from;
    reader->next += p - from;
    return static_cast<size_t>(p - from);
}

void reader_close(LineReader* reader)
{
    if (reader->file != SYS_NO_HANDLE)
        sys_close(reader->file);
    reader->file = SYS_NO_HANDLE;
}

int32_t builtin_source(char** words, ShellContext* ctx)
{
    if (!words[0])
        return 0;
    FrameGuard frame(ctx, words);
    if (!frame.opened)
        return -1;
    LineReader reader;
    if (!reader_open(&reader, words[0]))
        return 0; // a script that cannot be opened is skipped without a word
    std::array<char, SCRIPT_LINE_MAX + 1> line;
    int32_t status = 0;
    while (reader_line(&reader, line.data(), SCRIPT_LINE_MAX)) {
        const char* start = skip_blanks(line.data());
        if (*start == 0 || *start == '#')
            continue;
        status = run_line(line.data(), ctx);
        if (status < 0)
            break;
    }
    return status;
}

int32_t builtin_eval(char** words, ShellContext* ctx)
{
    int32_t status = 0;
    for (; *words; ++words) {
        status = run_line(*words, ctx);
        if (status < 0)
            break;
    }
    return status;
}

int32_t builtin_exec(char** words, ShellContext* ctx)
{
    if (!words[0])
        return 0;
    return run_external(words, ctx);
}

int32_t builtin_exit(char** words, ShellContext* ctx)
{
    if (ctx->options & OPT_NOEXIT)
        return -1;
    sys_exit(words[0] ? parse_decimal(words[0]) : 0);
}

int32_t builtin_shift(char** /*words*/, ShellContext* ctx)
{
    char** frame = ctx->frames[ctx->frame_level];
    if (!frame || !frame[0])
        return 1;
    ctx->frames[ctx->frame_level] = frame + 1;
    return 0;
}
