// terminal_marks.cpp: the prompt and the terminal's marks around it (OSC 133, 9;9 and 0).
#include "console/terminal_marks.h"

#include "console/output.h"
#include "parse/variables.h"

#include <cstring>

constexpr size_t MARKS_SIZE = 4 * ENV_VALUE_SIZE; // the folder twice, the marks, the prompt
constexpr char INPUT_MARK[] = "\x1b]133;B\x1b\\";
constexpr char RUN_MARK[] = "\x1b]133;C\x1b\\";
constexpr size_t INPUT_MARK_SIZE = sizeof INPUT_MARK - 1;

static bool command_ran = false; // a line was accepted since the last prompt

// Whether the terminal takes the marks: VRELTERM decides, else WT_SESSION announces one that
// does. Output to a file or pipe never gets them.
static bool marks_wanted()
{
    if (sys_terminal_columns() <= 0)
        return false;
    char value[ENV_VALUE_SIZE];
    if (read_env("VRELTERM", value) == 0 &&
        (!std::strcmp(value, "osc") || !std::strcmp(value, "none")))
        return value[0] == 'o';
    return read_env("WT_SESSION", value) == 0;
}

// The current folder with its control bytes as '?': a name never ends the sequence it is in.
static void folder_text(char* folder, size_t size)
{
    sys_get_current_directory(folder, size);
    for (char* c = folder; *c; ++c)
        if ((*c >= 0 && *c < 32) || *c == 127)
            *c = '?';
}

static size_t put_marks_before(char* out, ShellContext* ctx)
{
    char folder[ENV_VALUE_SIZE];
    folder_text(folder, sizeof folder);
    size_t used = 0;
    if (command_ran)
        used += format_text(out, MARKS_SIZE, "\x1b]133;D;%d\x1b\\", ctx->status);
    used += format_text(out + used, MARKS_SIZE - used, "\x1b]9;9;\"%s\"\x1b\\\x1b]0;%s\x1b\\",
                        folder, folder);
    used += format_text(out + used, MARKS_SIZE - used, "\x1b]133;A\x1b\\");
    return used;
}

// The marks, the prompt (without carriage returns, as all output drops them) and the mark
// after it go out in one write.
void show_prompt(ShellContext* ctx, const char* prompt)
{
    check_interrupt();
    bool marks = marks_wanted();
    char out[MARKS_SIZE];
    size_t used = marks ? put_marks_before(out, ctx) : 0;
    for (; *prompt && used + INPUT_MARK_SIZE < sizeof out; ++prompt)
        if (*prompt != '\r')
            out[used++] = *prompt;
    if (marks) {
        std::memcpy(out + used, INPUT_MARK, INPUT_MARK_SIZE);
        used += INPUT_MARK_SIZE;
    }
    command_ran = false;
    screen_sink(out, used);
}

void mark_command_start()
{
    command_ran = true;
    if (marks_wanted())
        screen_sink(RUN_MARK, sizeof RUN_MARK - 1);
}
