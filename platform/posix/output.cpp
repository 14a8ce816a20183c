// output.cpp: the shell's standard output, buffered unless it is a terminal, and standard error.
#include "platform/platform.h"
#include "posix_layer.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

// Output to a file or pipe is gathered here and written in large pieces (128 KiB: fewer
// system calls for cat, and pages are only touched as far as output fills them).
constexpr size_t OUT_BUFFER_SIZE = 131072;

static char out_buffer[OUT_BUFFER_SIZE];
static size_t out_used = 0;
static int out_terminal = -1; // -1: not asked yet
static uint32_t out_failure = 0;

// Writes to standard output unless a write failed already; keeps the first failure's code.
static void write_out(const char* data, size_t size)
{
    if (out_failure == 0 && !write_all(STDOUT_FILENO, data, size))
        out_failure = errno != 0 ? static_cast<uint32_t>(errno) : static_cast<uint32_t>(EIO);
}

uint32_t sys_output_failure()
{
    uint32_t code = out_failure;
    out_failure = 0;
    if (code != 0)
        out_used = 0; // what came after the failure goes nowhere either
    return code;
}

bool sys_reader_gone(uint32_t code) { return code == static_cast<uint32_t>(EPIPE); }

static bool out_is_terminal()
{
    if (out_terminal < 0)
        out_terminal = isatty(STDOUT_FILENO) ? 1 : 0;
    return out_terminal == 1;
}

bool sys_output_is_terminal() { return out_is_terminal(); }

void sys_flush_out()
{
    if (out_used == 0)
        return;
    write_out(out_buffer, out_used);
    out_used = 0;
}

void sys_write_out(const char* data, size_t size)
{
    // The line editor echoes single bytes and relies on each one being visible at once.
    if (out_is_terminal()) {
        write_out(data, size);
        return;
    }
    if (out_used + size > OUT_BUFFER_SIZE)
        sys_flush_out();
    if (size >= OUT_BUFFER_SIZE) {
        write_out(data, size);
        return;
    }
    memcpy(out_buffer + out_used, data, size);
    out_used += size;
}

void sys_write_error(const char* text)
{
    // Output written before the message comes before it, also when both go to one file.
    sys_flush_out();
    write_all(STDERR_FILENO, text, strlen(text));
}

void sys_write_screen(const char* data, size_t size)
{
    sys_flush_out();
    write_all(STDOUT_FILENO, data, size); // a terminal reads the moves itself
}
