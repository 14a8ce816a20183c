// script.cpp: the line reader, and the built-ins that run other text or leave the shell.
#include "core/script.h"

#include "core/run_line.h"
#include "exec/command.h"
#include "parse/strings.h"

#include <array>

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

int reader_line(LineReader* reader, char* out, size_t max)
{
    char* p = out;
    // Carriage returns count against max although they are not stored, so a line always ends
    // after max bytes of the file.
    for (size_t consumed = 0; consumed < max; ++consumed) {
        if (!reader_fill(reader))
            return 0; // a last line without its line feed is never delivered
        char c = *reader->next++;
        if (c == '\n')
            break;
        if (c != '\r')
            *p++ = c;
    }
    *p = 0;
    return static_cast<int>(p - out) + 1;
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
