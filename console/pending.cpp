// pending.cpp: placeholders until the console layer lands; removed by it.
#include "console/history.h"
#include "console/line_input.h"
#include "console/output.h"
#include <cstring>
void check_interrupt() {}
void out_char(char c) { sys_write_out(&c, 1); }
void out_str(const char* t) { sys_write_out(t, std::strlen(t)); }
void out_newline() { out_str("\n"); }
void out_erase(int) {}
void out_fmt(const char* f, ...) { out_str(f); }
void out_fmt_line(const char* f, ...) { out_str(f); out_newline(); }
void out_error(const char* s, const char* m) { out_str(s); out_str(m); out_newline(); }
void out_trace(ShellContext*, const char*, ...) {}
int format_text(char* d, size_t, const char*, ...) { *d = 0; return 0; }
int read_key() { return sys_read_key(); }
void history_add(ShellContext*, const char*) {}
int history_get(ShellContext*, int, char*) { return 0; }
bool edit_line(char* line, ShellContext*, int) { return sys_read_input_line(line, 1024) >= 0; }
void read_keyboard_line(char* line, ShellContext*) { *line = 0; }
char* completion_pattern(char* p, size_t, char* line) { *p = 0; return line; }
