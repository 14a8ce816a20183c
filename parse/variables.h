// variables.h: special parameters, dynamic variables and environment lookups.
#pragma once

#include "core/shell.h"

#include <cstddef>

constexpr size_t ENV_VALUE_SIZE = 1024;

// Value of a base name into out (EXPANSION_SIZE bytes): 0 with a value (maybe empty), -1 when
// the name was looked up in the environment and not found (out is then empty).
int special_value(const char* name, ShellContext* ctx, char* out);
// The one way the shell reads the environment: 0 when `name` has a non-empty value (copied to
// buffer, ENV_VALUE_SIZE bytes), -1 when it is unset or empty (buffer emptied).
int read_env(const char* name, char* buffer);
