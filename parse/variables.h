// variables.h: special parameters, dynamic variables and environment lookups.
#pragma once

#include "core/shell.h"

#include <cstddef>

constexpr size_t ENV_VALUE_SIZE = 1024;
// The longest value an expansion gives whole: the Windows limit of one environment variable,
// 32767 characters with its terminator.
constexpr size_t LONGEST_VALUE = 32766;
// Returned by special_value for a value that does not fit the buffer it was given.
constexpr int VALUE_TOO_LONG = -2;

// Value of a base name into out (out_size bytes): 0 with a value (maybe empty), -1 when the
// name was looked up in the environment and not found, VALUE_TOO_LONG when the value does not
// fit (out is empty in both cases). Never a cut value.
int special_value(const char* name, ShellContext* ctx, char* out, size_t out_size);
// The one way the shell reads the environment: 0 when `name` has a non-empty value (copied to
// buffer, ENV_VALUE_SIZE bytes), -1 when it is unset or empty (buffer emptied).
int read_env(const char* name, char* buffer);
