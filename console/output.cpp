// output.cpp: the byte, string and message output of the shell, and the interrupt check.
#include "console/output.h"
#include "console/shown_text.h"

#include "core/output_failure.h"

#include <cstring>

int (*key_source)() = sys_read_key;
void (*output_sink)(const char* data, size_t size) = sys_write_out;
void (*screen_sink)(const char* data, size_t size) = sys_write_screen;

uint32_t check_budget = 0;

void check_interrupt()
{
    // Counted here, where every line, loop pass and write passes, so that a bounded run ends
    // after the same steps each time, however loaded the machine is.
    if (check_budget != 0 && --check_budget == 0)
        interrupted = 1;
    if (!interrupted) {
        stop_on_output_failure();
        return;
    }
    sys_flush_out(); // what was written before the interrupt comes out before the notice
    sys_write_error(sys_interrupt_echoed() ? "\r\n" : "^C\r\n");
    throw Interrupt{};
}

void out_char(char c)
{
    if (c != '\r')
        output_sink(&c, 1);
}

// Writes the text in runs between carriage returns, which are dropped.
static void write_text(const char* text)
{
    // strlen and memchr scan many bytes at a time; this is the path of every line cat prints.
    const char* end = text + std::strlen(text);
    while (text < end) {
        const char* stop = static_cast<const char*>(std::memchr(text, '\r', end - text));
        const char* run_end = stop ? stop : end;
        if (run_end > text)
            output_sink(text, static_cast<size_t>(run_end - text));
        text = stop ? stop + 1 : end;
    }
}

void out_str(const char* text)
{
    check_interrupt();
    write_text(text);
}

void out_bytes(const char* text, size_t length)
{
    check_interrupt();
    output_sink(text, length);
}

void out_newline() { out_str("\r\n"); }

void out_erase(int n)
{
    check_interrupt();
    constexpr int PIECE = 256; // cells written at once
    char run[3 * PIECE];
    for (int i = 0; i < PIECE; ++i)
        std::memcpy(run + 3 * i, "\b \b", 3);
    for (; n > 0; n -= PIECE)
        output_sink(run, 3 * static_cast<size_t>(n < PIECE ? n : PIECE));
}

void out_fmt(const char* format, ...)
{
    char buffer[FMT_BUFFER_SIZE];
    va_list values;
    va_start(values, format);
    format_text_list(buffer, FMT_TEXT_MAX + 1, format, values);
    va_end(values);
    out_str(buffer);
}

static void out_line_list(const char* format, va_list values)
{
    char buffer[FMT_LINE_SIZE];
    format_text_list(buffer, sizeof buffer, format, values);
    out_shown(buffer);
    out_newline();
}

void out_fmt_line(const char* format, ...)
{
    va_list values;
    va_start(values, format);
    out_line_list(format, values);
    va_end(values);
}

void out_error(const char* subject, const char* message)
{
    out_shown(subject);
    out_str(message);
    out_newline();
}

void out_system_error(const char* subject, const char* message)
{
    out_error(subject, sys_path_too_long() ? ":path too long" : message);
}

void out_trace(ShellContext* ctx, const char* format, ...)
{
    if (!(ctx->options & OPT_TRACE))
        return; // tested before any formatting, and no interrupt check either
    va_list values;
    va_start(values, format);
    out_line_list(format, values);
    va_end(values);
}

int read_key()
{
    sys_flush_out(); // the echo and the prompt must be on the screen before we wait
    return key_source();
}
