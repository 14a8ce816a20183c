// read_eval_loop.cpp: show the prompt, read a line, run it, for ever.
#include "core/read_eval_loop.h"

#include "console/line_input.h"
#include "console/output.h"
#include "core/run_line.h"
#include "parse/read_word.h"
#include "parse/variables.h"

#include <array>
#include <cstring>

// Makes the prompt from PS1, read as one shell word, in the first half of the buffer.
static int make_prompt(char* buffer, ShellContext* ctx)
{
    char* value = buffer + LOOP_BUFFER_SIZE / 2;
    read_env("PS1", value); // unset, empty or too long: an empty prompt
    read_word(buffer, LOOP_BUFFER_SIZE / 2, value, ctx);
    return static_cast<int>(std::strlen(buffer));
}

void read_eval_loop(ShellContext* ctx)
{
    std::array<char, LOOP_BUFFER_SIZE> buffer;
    for (;;) {
        if (sys_input_is_terminal()) {
            int width = make_prompt(buffer.data(), ctx);
            out_str(buffer.data());
            if (!edit_line(buffer.data(), ctx, width))
                return;
        } else {
            check_interrupt();
            if (sys_read_input_line(buffer.data(), buffer.size()) < 0)
                return; // the end of input ends the shell as exit would
        }
        sys_restore_terminal();
        run_line(buffer.data(), ctx);
    }
}
