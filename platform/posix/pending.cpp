// pending.cpp: placeholders until the POSIX layer lands; removed by it.
#include "platform/platform.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
static std::string command_line;
void sys_init(int argc, char** argv) { for (int i = 0; i < argc; ++i) { if (i) command_line += ' '; command_line += argv[i]; } }
const char* sys_command_line() { return command_line.c_str(); }
void sys_exit(uint32_t code) { std::fflush(stdout); std::exit(static_cast<int>(code)); }
SysHandle sys_open_input(const char*, bool) { return SYS_NO_HANDLE; }
SysHandle sys_open_output(const char*, bool) { return SYS_NO_HANDLE; }
int64_t sys_read(SysHandle h, void* b, size_t s) { return ::read(static_cast<int>(h), b, s); }
bool sys_write(SysHandle, const void*, size_t) { return false; }
void sys_close(SysHandle h) { ::close(static_cast<int>(h)); }
uint32_t sys_make_pipe(SysHandle*, SysHandle*) { return 1; }
uint32_t sys_last_error() { return 0; }
void sys_write_out(const char* d, size_t n) { std::fwrite(d, 1, n, stdout); }
void sys_flush_out() { std::fflush(stdout); }
void sys_write_error(const char* t) { std::fputs(t, stderr); }
bool sys_input_is_terminal() { return false; }
int sys_read_key() { return -1; }
bool sys_key_waiting() { return false; }
void sys_unread_key(int) {}
void sys_restore_terminal() {}
int64_t sys_read_input_line(char*, size_t) { return -1; }
void sys_on_interrupt(void (*)(int)) {}
size_t sys_get_env(const char*, char* b, size_t) { *b = 0; return 0; }
bool sys_set_env(const char*, const char*) { return false; }
void sys_for_each_env(void (*)(const char*, void*), void*) {}
uint32_t sys_start_program(const char*, SysHandle, SysHandle, SysHandle, bool, uint32_t*) { return 2; }
void sys_disable_programs(bool) {}
uint32_t sys_get_attributes(const char*) { return ATTR_INVALID; }
bool sys_set_attributes(const char*, uint32_t) { return false; }
bool sys_delete_file(const char*) { return false; }
bool sys_remove_directory(const char*) { return false; }
bool sys_make_directory(const char*) { return false; }
bool sys_move(const char*, const char*) { return false; }
bool sys_copy(const char*, const char*) { return false; }
bool sys_set_current_directory(const char*) { return false; }
size_t sys_get_current_directory(char* b, size_t) { *b = 0; return 0; }
void sys_local_time(int64_t, LocalTime* o) { *o = LocalTime{}; }
SysSearch* sys_find_first(const char*, FindData*) { return nullptr; }
bool sys_find_next(SysSearch*, FindData*) { return false; }
void sys_find_close(SysSearch*) {}
bool sys_for_each_volume(const char*, void (*)(const VolumeInfo*, void*), void*) { return false; }
size_t sys_host_name(char* b, size_t) { *b = 0; return 0; }
size_t sys_user_name(char* b, size_t) { *b = 0; return 0; }
size_t sys_system_directory(char* b, size_t) { *b = 0; return 0; }
size_t sys_windows_directory(char* b, size_t) { *b = 0; return 0; }
bool sys_version(SysVersion*) { return false; }
