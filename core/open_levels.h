// open_levels.h: what a script, an eval or a function body left open, closed when it ends.
#pragma once

#include "core/pipe_hand_on.h"
#include "core/shell.h"

// The conditional level and definition mode as they stood when a script, an eval or a
// function call began, and the pipe its lines hand on. A loop is one command and always ends
// with it, so none is ever open. While it lives, the text is the one `if` keywords answer to.
struct OpenLevels {
    ShellContext* ctx;
    const char* name; // the script as written, "eval", or the function's name
    int32_t if_level;
    bool defining;
    bool closed;
    PipeHandOn pipe;
    int32_t outer_if_level; // the enclosing text's, given back at the end
    const char* outer_name;
    OpenLevels(ShellContext* c, const char* text_name);
    OpenLevels(const OpenLevels&) = delete;
    OpenLevels& operator=(const OpenLevels&) = delete;
    // Closes what is still open without a word: the interrupt that abandoned the text said it.
    ~OpenLevels();
};

// To be called after each line of the text runs (see pipe_after_line).
void levels_after_line(OpenLevels* levels);
// Closes every conditional level, the function definition (dropping that function whole)
// and the pipe that the text opened and left open, with one line naming the text and what
// was open ("s.vsh:if without fi"), so that the caller goes on as before the call.
void close_open_levels(OpenLevels* levels);
