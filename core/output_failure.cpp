// output_failure.cpp: standard output that cannot be written stops the command that writes.
//
// The shell's output to a file is buffered, so a full disk shows at some later write; each
// string the shell writes passes check_interrupt first, which calls here, so the command stops
// at the next thing it would write, also in a loop that would otherwise run for ever.
#include "core/output_failure.h"

#include "console/output.h"
#include "core/startup.h"

static const char* command_name = "vrel";
static bool recovers = false;

CommandName::CommandName(const char* name) : outer(command_name) { command_name = name; }

CommandName::~CommandName() { command_name = outer; }

void output_failure_recovers() { recovers = true; }

void stop_on_output_failure()
{
    uint32_t code = sys_output_failure();
    if (code == 0)
        return;
    int32_t status = static_cast<int32_t>(code & 0x7FFFFFFF);
    // A child shell's parent tells the failure: the child's standard error may be the very
    // file that failed.
    if (!sys_reader_gone(code) && !shell_context.child_shell) {
        char line[FMT_LINE_SIZE];
        format_text(line, sizeof line, "%s:write error(%u)\n", command_name, code);
        sys_write_error(line); // standard output is what failed
    }
    if (!sys_reader_gone(code))
        status = -status;
    shell_context.status = status;
    if (recovers)
        throw Interrupt{};
    sys_exit(sys_status_exit_code(status));
}
