// output.h: every byte the shell shows passes through these operations.
#pragma once

#include "core/shell.h"

// Throws Interrupt (after "^C" on standard error) when an interrupt is pending.
void check_interrupt();
// Writes one byte to standard output; a carriage return is dropped.
void out_char(char c);
// Checks for an interrupt once, then writes the text (carriage returns dropped).
void out_str(const char* text);
void out_newline();
// Rubs out n cells left of the cursor: n times "\b \b".
void out_erase(int n);
// printf-style (%c %d %s, flags '-' '0', widths, %%) into a bounded buffer, then out_str.
void out_fmt(const char* format, ...);
// As out_fmt into a 512-byte buffer, then a line end.
void out_fmt_line(const char* format, ...);
// subject, message, line end.
void out_error(const char* subject, const char* message);
// As out_fmt_line, only while OPT_TRACE is set in ctx->options.
void out_trace(ShellContext* ctx, const char* format, ...);
// Formats into dst (size bytes, always terminated, cut when too long); returns the length.
int format_text(char* dst, size_t size, const char* format, ...);
// Waits for one key without echo (see sys_read_key); flushes pending output first.
int read_key();
