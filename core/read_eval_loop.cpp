// read_eval_loop.cpp: show the prompt, read a line, run it, for ever.
#include "core/read_eval_loop.h"

#include "console/line_input.h"
#include "console/output.h"
#include "console/terminal_marks.h"
#include "core/pipe_hand_on.h"
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

// Reads the next line of standard input that is not a terminal; false at the end of input. A
// line too long for the buffer is refused whole, never run cut, and the next one is read.
static bool read_plain_line(char* buffer, size_t size, ShellContext* ctx)
{
    static uint32_t number = 0; // lines read so far, over every pass of the loop
    for (;;) {
        int64_t length = sys_read_input_line(buffer, size);
        if (length < 0)
            return false;
        ++number;
        // An editor's UTF-8 byte-order mark is no part of the first command.
        if (number == 1 && std::strncmp(buffer, "\xEF\xBB\xBF", 3) == 0)
            std::memmove(buffer, buffer + 3, std::strlen(buffer + 3) + 1);
        if (static_cast<size_t>(length) < size)
            return true;
        out_fmt_line("stdin:%u:line too long", number);
        ctx->status = 1;
    }
}

void read_eval_loop(ShellContext* ctx)
{
    std::array<char, LOOP_BUFFER_SIZE> buffer;
    // A pipe of a line that an interrupt abandoned has no next line to go to.
    drop_pending_pipe(ctx);
    PipeHandOn pipe;
    pipe_hand_on_start(&pipe, ctx);
    for (;;) {
        if (sys_input_is_terminal()) {
            int width = make_prompt(buffer.data(), ctx);
            show_prompt(ctx, buffer.data());
            if (!edit_line(buffer.data(), ctx, width))
                return;
            mark_command_start();
        } else {
            check_interrupt();
            if (!read_plain_line(buffer.data(), buffer.size(), ctx))
                return; // the end of input ends the shell as exit would
        }
        sys_restore_terminal();
        run_line(buffer.data(), ctx);
        pipe_after_line(&pipe, ctx);
    }
}
