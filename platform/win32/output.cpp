// output.cpp: standard output as a text stream, and standard error.
#include "console_text.h"
#include "platform/platform.h"

#include <cstring>

// Output to a file or pipe collects here; a console gets every write at once.
constexpr size_t OUT_BUFFER_SIZE = 4096;

struct OutStream {
    HANDLE handle;
    bool console;
    bool after_cr; // the last byte written was a carriage return
    size_t used;
    char buffer[OUT_BUFFER_SIZE];
};

static OutStream standard_output;
static bool output_ready;

// Write errors are ignored: there is nowhere left to report them.
static void write_all(HANDLE handle, const char* data, size_t size)
{
    while (size > 0) {
        DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD done = 0;
        if (!WriteFile(handle, data, chunk, &done, nullptr) || done == 0)
            return;
        data += done;
        size -= done;
    }
}

static void flush_stream(OutStream* stream)
{
    if (stream->used > 0 && stream->console)
        write_console_text(stream->handle, stream->buffer, stream->used);
    else if (stream->used > 0)
        write_all(stream->handle, stream->buffer, stream->used);
    stream->used = 0;
}

// Writes what a console can show now; the start of a character split across two writes stays
// in the buffer until the rest of it comes (or until a flush).
static void flush_whole_chars(OutStream* stream)
{
    if (!stream->console)
        return flush_stream(stream);
    size_t whole = whole_char_length(GetACP(), stream->buffer, stream->used);
    write_console_text(stream->handle, stream->buffer, whole);
    stream->used -= whole;
    std::memmove(stream->buffer, stream->buffer + whole, stream->used);
}

// The console test is made once per handle, so a standard handle that is replaced is seen.
static OutStream* out_stream()
{
    HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!output_ready || handle != standard_output.handle) {
        DWORD mode;
        flush_stream(&standard_output);
        standard_output.handle = handle;
        standard_output.console = GetConsoleMode(handle, &mode) != 0;
        standard_output.after_cr = false;
        output_ready = true;
    }
    return &standard_output;
}

// Text mode: a line feed goes out as CR LF, unless a carriage return is already before it.
static void put_text(OutStream* stream, const char* data, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        if (stream->used + 2 > OUT_BUFFER_SIZE)
            flush_whole_chars(stream);
        if (data[i] == '\n' && !stream->after_cr)
            stream->buffer[stream->used++] = '\r';
        stream->buffer[stream->used++] = data[i];
        stream->after_cr = data[i] == '\r';
    }
}

void sys_write_out(const char* data, size_t size)
{
    OutStream* stream = out_stream();
    put_text(stream, data, size);
    if (stream->console)
        flush_whole_chars(stream);
}

void sys_flush_out() { flush_stream(out_stream()); }

void sys_write_error(const char* text)
{
    // What the shell wrote before the message comes first, also when both go to one file.
    sys_flush_out();
    static OutStream error;
    DWORD mode;
    error.handle = GetStdHandle(STD_ERROR_HANDLE);
    error.console = GetConsoleMode(error.handle, &mode) != 0;
    size_t size = 0;
    while (text[size])
        ++size;
    put_text(&error, text, size);
    flush_stream(&error);
}
