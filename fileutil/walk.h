// walk.h: the wild-card directory walker.
#pragma once

#include "core/shell.h"

#include <cstddef>

constexpr size_t WALK_PATH_SIZE = 320;

// Receives each entry, its full path in a writable WALK_PATH_SIZE buffer, and the context.
using Visitor = void (*)(const FindData* entry, char* path, ShellContext* ctx);

// Calls visitor for every entry matching pattern; reports a pattern that matches nothing.
void walk_files(const char* pattern, Visitor visitor, ShellContext* ctx);
