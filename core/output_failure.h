// output_failure.h: standard output that cannot be written stops the command that writes.
#pragma once

#include "core/shell.h"

// Names the running command in a write failure's message while it lives; the innermost wins.
struct CommandName {
    const char* outer;
    explicit CommandName(const char* name);
    CommandName(const CommandName&) = delete;
    CommandName& operator=(const CommandName&) = delete;
    ~CommandName();
};

// From here on a failure unwinds to the prompt as an interrupt does, instead of ending the
// process (which is what a script, a command line or a child shell does at a command error).
void output_failure_recovers();
// When a write to standard output failed: a reader that went away ends the command quietly
// with the system's code as a false status; any other failure is told on standard error as
// "command:write error(code)" (by a child shell's parent instead) and the command ends with
// the negated code. Either way the command stops here.
void stop_on_output_failure();
