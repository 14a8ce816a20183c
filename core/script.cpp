// script.cpp: the line reader, and the built-ins that run other text or leave the shell.
#include "core/script.h"

#include "console/output.h"
#include "core/open_levels.h"
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
    reader->at_end = false;
    reader->form = READ_BYTES;
    reader->fault = nullptr;
    reader->carry_size = 0;
    return reader->file != SYS_NO_HANDLE ? 1 : 0;
}

int reader_open_script(LineReader* reader, const char* name)
{
    int opened = reader_open(reader, name);
    reader->form = READ_SCRIPT_START;
    return opened;
}

// Refills the buffer when it is used up: false at the end of the file or on a read error.
static bool reader_fill(LineReader* reader)
{
    if (reader->next != reader->end)
        return true;
    if (reader->at_end)
        return false;
    int64_t count = reader->form == READ_BYTES
                        ? sys_read(reader->file, reader->buffer, READER_BUFFER_SIZE)
                        : reader_read_script(reader);
    if (count <= 0) {
        reader->at_end = true;
        return false;
    }
    reader->next = reader->buffer;
    reader->end = reader->buffer + count;
    return true;
}

// Moves the bytes of [from, to) to *p without their carriage returns until *left are stored;
// returns where it stopped, past any carriage returns that follow the last byte stored.
static char* take_bytes(char** p, size_t* left, char* from, const char* to)
{
    while (from < to) {
        size_t span = std::min(*left, static_cast<size_t>(to - from));
        char* cr = static_cast<char*>(std::memchr(from, '\r', span));
        size_t run = static_cast<size_t>((cr ? cr : from + span) - from);
        std::memcpy(*p, from, run);
        *p += run;
        *left -= run;
        from += run;
        if (cr)
            ++from;
        else if (*left == 0)
            break;
    }
    while (from < to && *from == '\r')
        ++from;
    return from;
}

int reader_line(LineReader* reader, char* out, size_t max)
{
    char* p = out;
    size_t left = max;
    bool any = false;
    reader->ending = READER_LAST;
    // The buffer is searched a run at a time, not byte by byte.
    while (reader_fill(reader)) {
        any = true;
        char* line_feed =
            static_cast<char*>(std::memchr(reader->next, '\n', reader->end - reader->next));
        char* stop = line_feed ? line_feed : reader->end;
        reader->next = take_bytes(&p, &left, reader->next, stop);
        if (reader->next != stop) {
            reader->ending = READER_CUT;
            break;
        }
        if (line_feed) {
            ++reader->next;
            reader->ending = READER_FEED;
            break;
        }
    }
    if (!any || reader->fault)
        return 0; // never the piece of a line before a fault
    *p = 0;
    return static_cast<int>(p - out) + 1;
}

void reader_skip_line(LineReader* reader)
{
    while (reader_fill(reader)) {
        char* line_feed =
            static_cast<char*>(std::memchr(reader->next, '\n', reader->end - reader->next));
        reader->next = line_feed ? line_feed + 1 : reader->end;
        if (line_feed)
            return;
    }
}

size_t reader_whole_lines(LineReader* reader, const char** start)
{
    // Only what is read already: reading is reader_line's, so the end of a terminal's or a
    // pipe's input is read once and ends the file.
    if (reader->next == reader->end)
        return 0;
    char* from = reader->next;
    const char* cr = static_cast<const char*>(std::memchr(from, '\r', reader->end - from));
    const char* p = cr ? cr : reader->end;
    while (p > from && p[-1] != '\n')
        --p;
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

// A piece of a line must never run as a command of its own: the whole line is refused.
static int32_t refuse_long_line(LineReader* reader, const char* name, uint32_t number,
                                ShellContext* ctx)
{
    reader_skip_line(reader);
    out_fmt_line("%s:%u:line too long", name, number);
    return ctx->status = 1;
}

int32_t builtin_source(char** words, ShellContext* ctx)
{
    if (!words[0])
        return 0;
    FrameGuard frame(ctx, words);
    if (!frame.opened)
        return -1;
    LineReader reader;
    if (!reader_open_script(&reader, words[0]))
        return 0; // a script that cannot be opened is skipped without a word
    std::array<char, SCRIPT_LINE_MAX + 1> line;
    OpenLevels levels(ctx, words[0]);
    int32_t status = 0;
    for (uint32_t number = 1; reader_line(&reader, line.data(), SCRIPT_LINE_MAX); ++number) {
        if (reader.ending == READER_CUT) {
            status = refuse_long_line(&reader, words[0], number, ctx);
            continue;
        }
        const char* start = skip_blanks(line.data());
        if (*start == 0 || *start == '#')
            continue;
        status = run_line(line.data(), ctx);
        levels_after_line(&levels);
        if (status < 0)
            break;
    }
    if (reader.fault) {
        out_fmt_line("%s:not text: %s", words[0], reader.fault);
        status = ctx->status = 1;
    }
    close_open_levels(&levels);
    return status;
}

int32_t builtin_eval(char** words, ShellContext* ctx)
{
    OpenLevels levels(ctx, "eval");
    int32_t status = 0;
    for (; *words; ++words) {
        status = run_line(*words, ctx);
        levels_after_line(&levels);
        if (status < 0)
            break;
    }
    close_open_levels(&levels);
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
