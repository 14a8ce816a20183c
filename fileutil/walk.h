// walk.h: the wild-card directory walker.
#pragma once

#include "core/shell.h"

#include <cstddef>

constexpr size_t WALK_PATH_SIZE = 320;

// Bits of ShellContext::walk_options.
constexpr uint32_t WALK_OWN = 1; // the running built-in's own option (recursion, long, summary)
constexpr uint32_t WALK_ALL = 2; // the walker visits "." and ".." too; ls lists every entry
// The walk only shows or hands on names: an entry whose name the code page cannot hold is left
// out without a word. Otherwise the walk acts on its entries and says it left one out.
constexpr uint32_t WALK_NAMES_ONLY = 4;

// The pattern a recursive visitor appends to a directory's path to walk its contents.
constexpr char WALK_BELOW[] = "/*.*";

// Receives each entry, its full path in a writable WALK_PATH_SIZE buffer, and the context.
// The path always leaves room for WALK_BELOW after it.
using Visitor = void (*)(const FindData* entry, char* path, ShellContext* ctx);

// Calls visitor for every entry matching pattern; reports a pattern that matches nothing and
// refuses (with an error line) an entry whose path would not fit the buffer. An entry whose
// name the code page cannot hold is never visited (see WALK_NAMES_ONLY).
void walk_files(const char* pattern, Visitor visitor, ShellContext* ctx);
// True for a directory that recursion enters: not a link, junction or other reparse point.
bool is_plain_directory(const FindData* entry);
// Appends WALK_BELOW to path and walks it; returns where the appended text begins.
char* walk_below(char* path, Visitor visitor, ShellContext* ctx);
// Walks each pattern of the null-terminated list in turn.
void walk_each(char** patterns, Visitor visitor, ShellContext* ctx);
