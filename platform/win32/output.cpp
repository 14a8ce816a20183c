// output.cpp: standard output as a text stream, and standard error.
#include "console_text.h"
#include "platform/platform.h"

#include <cstring>

// Output to a file or pipe collects here; a console gets every write at once.
constexpr size_t OUT_BUFFER_SIZE = 4096;

struct OutStream {
    HANDLE handle;
    bool console;
    bool after_cr;    // the last byte written was a carriage return
    uint32_t failure; // the error of the first write that failed; output is dropped after it
    size_t used;
    char buffer[OUT_BUFFER_SIZE];
};

static OutStream standard_output;
static bool output_ready;

// The error code of a write that fails, 0 when every byte was written.
static uint32_t write_all(HANDLE handle, const char* data, size_t size)
{
    while (size > 0) {
        DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD done = 0;
        if (!WriteFile(handle, data, chunk, &done, nullptr))
            return GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
        if (done == 0)
            return ERROR_WRITE_FAULT;
        data += done;
        size -= done;
    }
    return 0;
}

static void flush_stream(OutStream* stream)
{
    if (stream->used > 0 && stream->console)
        write_console_text(stream->handle, stream->buffer, stream->used);
    else if (stream->used > 0 && stream->failure == 0)
        stream->failure = write_all(stream->handle, stream->buffer, stream->used);
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

bool sys_output_is_terminal() { return out_stream()->console; }

void sys_flush_out() { flush_stream(out_stream()); }

uint32_t sys_output_failure()
{
    uint32_t code = standard_output.failure;
    standard_output.failure = 0;
    if (code != 0)
        standard_output.used = 0; // what came after the failure goes nowhere either
    return code;
}

// A pipe whose reader closed its end: the system says 232, Wine also 233 or 109.
bool sys_reader_gone(uint32_t code)
{
    return code == ERROR_NO_DATA || code == ERROR_PIPE_NOT_CONNECTED || code == ERROR_BROKEN_PIPE;
}

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

// The cursor moves and clears of the line editor at data, one after the other: ESC [ n A (up),
// ESC [ n C (right), ESC [ H (home), ESC [ J (clear below), ESC [ 2 J (clear the window).
struct ScreenMoves {
    int up, right;
    bool home, clear_below, clear_all;
};

// Adds up the moves at data; the bytes they take, 0 when data begins with none.
static size_t screen_moves(const char* data, size_t size, ScreenMoves* moves)
{
    size_t at = 0;
    while (at + 2 < size && data[at] == '\x1b' && data[at + 1] == '[') {
        size_t end = at + 2;
        int count = 0;
        for (; end < size && data[end] >= '0' && data[end] <= '9' && count < 10000; ++end)
            count = count * 10 + (data[end] - '0');
        if (end == size)
            break;
        if (data[end] == 'A' || data[end] == 'C')
            *(data[end] == 'A' ? &moves->up : &moves->right) += count;
        else if (data[end] == 'H' && end == at + 2)
            moves->home = true;
        else if (data[end] == 'J' && (count == 0 || count == 2))
            *(count == 2 ? &moves->clear_all : &moves->clear_below) = true;
        else
            break;
        at = end + 1;
    }
    return at;
}

// Blanks `count` cells from `from` with the console's current colours.
static void blank_cells(HANDLE console, const CONSOLE_SCREEN_BUFFER_INFO& info, COORD from,
                        DWORD count)
{
    DWORD done;
    FillConsoleOutputCharacterW(console, L' ', count, from, &done);
    FillConsoleOutputAttribute(console, info.wAttributes, count, from, &done);
}

static void move_console_cursor(HANDLE console, bool to_row_start, const ScreenMoves& moves)
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(console, &info))
        return;
    DWORD width = static_cast<DWORD>(info.dwSize.X);
    if (moves.clear_all) { // the window's rows, as a terminal clears its screen
        COORD top = {0, info.srWindow.Top};
        blank_cells(console, info, top, width * (info.srWindow.Bottom - info.srWindow.Top + 1));
    }
    COORD to = info.dwCursorPosition;
    if (moves.home)
        to = COORD{0, info.srWindow.Top};
    int column = (to_row_start || moves.home ? 0 : to.X) + moves.right;
    to.X = static_cast<SHORT>(column < info.dwSize.X ? column : info.dwSize.X - 1);
    to.Y = static_cast<SHORT>(moves.up < to.Y ? to.Y - moves.up : 0);
    SetConsoleCursorPosition(console, to);
    if (moves.clear_below)
        blank_cells(console, info, to, (info.dwSize.Y - to.Y) * width - to.X);
}

// Text that holds terminal sequences of its own (a coloured prompt, the prompt marks) is
// written with the console's sequence processing on, then the mode is put back: the programs
// the shell starts find the console as it was.
static void write_screen_run(OutStream* stream, const char* data, size_t size)
{
    DWORD mode = 0;
    bool sequences = std::memchr(data, '\x1b', size) && GetConsoleMode(stream->handle, &mode) &&
                     SetConsoleMode(stream->handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    put_text(stream, data, size);
    flush_stream(stream);
    if (sequences)
        SetConsoleMode(stream->handle, mode);
}

// A console gets the text between the moves in one call each; a carriage return just before a
// move goes with the move.
void sys_write_screen(const char* data, size_t size)
{
    OutStream* stream = out_stream();
    if (!stream->console)
        return put_text(stream, data, size);
    flush_stream(stream);
    size_t run = 0;
    for (size_t at = 0; at < size; ++at) {
        ScreenMoves moves = {};
        size_t length = screen_moves(data + at, size - at, &moves);
        if (length == 0)
            continue;
        bool to_row_start = at > run && data[at - 1] == '\r';
        write_screen_run(stream, data + run, at - run - (to_row_start ? 1 : 0));
        move_console_cursor(stream->handle, to_row_start, moves);
        at += length - 1;
        run = at + 1;
    }
    write_screen_run(stream, data + run, size - run);
}
