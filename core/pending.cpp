// pending.cpp: placeholders until the shell core lands.
#include "core/builtins.h"
#include "core/read_eval_loop.h"
#include "core/run_line.h"
#include "core/script.h"
#include "core/startup.h"
ShellContext shell_context;
std::atomic<int> interrupted{0};
void init_context(ShellContext*) {}
void shell_main() { sys_exit(0); }
int32_t run_line(const char*, ShellContext*) { return 0; }
int32_t run_one(char**, ShellContext*) { return 0; }
int32_t dispatch(char**, ShellContext*) { return NOT_HANDLED; }
int32_t call_function(char**, const char*, ShellContext*) { return 0; }
void insert_shell_name(char**) {}
FrameGuard::FrameGuard(ShellContext* c, char**) : ctx(c), opened(false) {}
FrameGuard::~FrameGuard() {}
const BuiltinEntry keyword_table[] = {{nullptr, nullptr}};
const BuiltinEntry builtin_table[] = {{nullptr, nullptr}};
BuiltinHandler find_builtin(const BuiltinEntry*, const char*) { return nullptr; }
LineReader::~LineReader() {}
int reader_open(LineReader*, const char*) { return 0; }
int reader_line(LineReader*, char*, size_t) { return 0; }
void reader_close(LineReader*) {}
int32_t builtin_source(char**, ShellContext*) { return 0; }
int32_t builtin_eval(char**, ShellContext*) { return 0; }
int32_t builtin_exec(char**, ShellContext*) { return 0; }
int32_t builtin_exit(char**, ShellContext*) { return 0; }
int32_t builtin_shift(char**, ShellContext*) { return 0; }
void read_eval_loop(ShellContext*) {}
