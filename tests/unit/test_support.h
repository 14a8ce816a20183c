// test_support.h: a fresh shell context and captured output for unit tests.
#pragma once

#include "core/shell.h"

#include <functional>
#include <string>

// The process's one context, reset to its start values (the function store is reused).
ShellContext* fresh_context();
// Runs work and returns what it wrote to standard output.
std::string capture_output(const std::function<void()>& work);
// Writes text to a new file of that name in the current directory.
void write_file(const std::string& name, const std::string& text);
