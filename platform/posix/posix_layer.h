// posix_layer.h: what the files of the POSIX layer share among themselves.
#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>

// Keeps `code` (an errno value) for sys_last_error.
void keep_error(int code);
// Writes every byte, going on after interrupted or partial writes: false on an error.
bool write_all(int fd, const void* data, size_t size);
// The running shell's own executable, or null when it is not known.
const char* own_executable();
// Makes the layer's own array the process environment (once, and again if someone replaced it).
void take_over_environment();
// Puts the terminal back from inside a signal handler (async-signal-safe).
void restore_terminal_from_signal();
// Counts the interrupt signals taken; a copy under way stops when it changes.
extern volatile sig_atomic_t interrupt_signals;
// Removes the partial file of a copy under way, from a signal that ends the shell.
void remove_partial_copy_from_signal();
// The attribute word of `path` whose lstat result is `info`.
uint32_t attributes_from_stat(const char* path, const struct stat* info);
uint32_t attributes_from_stat(const char* path, const struct stat* info, bool read_store);
// As attributes_from_stat, leaving out the stored bits while searches are told to.
uint32_t search_attributes_from_stat(const char* path, const struct stat* info);
// Copies the contents, permission bits, stored attributes and last-write time of one file
// safely, replacing an existing destination; `moving` never replaces one and keeps the last
// access time too. False with the error kept.
bool copy_file(const char* from, const char* to, bool moving);
// Cuts a command line into the argument vector by the rules of Windows programs (those of
// CommandLineToArgvW); element 0 is the program name, and there is always one.
std::vector<std::string> split_command_line(const char* line);
// The text of a command line behind the program name and the blanks after it.
const char* command_line_arguments(const char* line);
