// output.h: every byte the shell shows passes through these operations.
#pragma once

#include "core/shell.h"

#include <cstdarg>
#include <cstddef>

constexpr size_t FMT_BUFFER_SIZE = 2048; // out_fmt's buffer
constexpr size_t FMT_TEXT_MAX = 1024;    // of which at most this much text is used
constexpr size_t FMT_LINE_SIZE = 512;    // out_fmt_line's and out_trace's buffer

// Throws Interrupt (after "^C" on standard error) when an interrupt is pending; stops the
// command when standard output could not be written (stop_on_output_failure).
void check_interrupt();
// Writes one byte to standard output; a carriage return is dropped.
void out_char(char c);
// Checks for an interrupt once, then writes the text (carriage returns dropped).
void out_str(const char* text);
// As out_str for a text of known length that holds no carriage return (cat's lines).
void out_bytes(const char* text, size_t length);
void out_newline();
// Rubs out n cells left of the cursor: n times "\b \b", written 256 cells at a time.
void out_erase(int n);
// printf-style (%c %d %s, flags '-' '0', widths, %%) into a bounded buffer, then out_str.
void out_fmt(const char* format, ...);
// As out_fmt into a 512-byte buffer, then a line end.
void out_fmt_line(const char* format, ...);
// subject, message, line end.
void out_error(const char* subject, const char* message);
// As out_error after a failed `sys_` call, with ":path too long" for the message when the
// system refused the path as too long, whatever the operation.
void out_system_error(const char* subject, const char* message);
// As out_fmt_line, only while OPT_TRACE is set in ctx->options.
void out_trace(ShellContext* ctx, const char* format, ...);
// Formats into dst (size bytes, always terminated, cut when too long); returns the length.
// Conversions: %c, %d (int), %u (uint32_t), %s, %%; %lld and %llu take 64-bit values
// (long long); flags '-' (left-justify) and '0' (zero-pad) and a minimum width.
int format_text(char* dst, size_t size, const char* format, ...);
// format_text with the values in a va_list.
int format_text_list(char* dst, size_t size, const char* format, va_list values);
// Waits for one key without echo (see sys_read_key); flushes pending output first.
int read_key();

// Test hooks: where keys come from (sys_read_key), where output bytes go (sys_write_out) and
// where the line editor's updates go (sys_write_screen). Only tests change them.
extern int (*key_source)();
extern void (*output_sink)(const char* data, size_t size);
extern void (*screen_sink)(const char* data, size_t size);
// Test hook: when not 0, the interrupt checks left before the interrupt is raised as by Ctrl-C
// (the fuzzers bound each input's work this way). 0 by default: no bound.
extern uint32_t check_budget;
