// startup.cpp: the process entry: the context, the start-up line, command or interactive mode.
#include "core/startup.h"

#include "console/history_file.h"
#include "core/output_failure.h"
#include "core/read_eval_loop.h"
#include "core/run_line.h"
#include "core/script.h"
#include "core/startup_words.h"
#include "exec/child_shell.h"
#include "exec/functions.h"
#include "parse/strings.h"

#include <cstring>
#include <new>

ShellContext shell_context;
std::atomic<int> interrupted{0};

// Runs $VRELINIT when it has a value, else the script vrelinit.rc; the backslash keeps the
// blank, so eval receives the one word ". vrelinit.rc".
static const char STARTUP_LINE[] = "eval ${VRELINIT-.\\ vrelinit.rc}";

void init_context(ShellContext* ctx)
{
    FunctionStore* store = ctx->store;
    *ctx = ShellContext{};
    ctx->pending_pipe = SYS_NO_HANDLE;
    ctx->if_states[0] = IF_RUN;
    ctx->options = OPT_TRACE;
    if (!store)
        store = new (std::nothrow) FunctionStore;
    if (!store) {
        sys_write_error("vrel: no memory for the function store\r\n");
        sys_exit(1);
    }
    std::memcpy(store->tag, "vrelFuNc", sizeof store->tag);
    store->history_oldest = 0;
    store->history_next = 0;
    store->definitions[0] = 0;
    reset_key_actions(store);
    ctx->store = store;
}

static void on_interrupt(int) { interrupted = 1; }

// Steps over the two characters of an option when the text begins with them.
static const char* skip_option(const char* text, const char* option)
{
    return text[0] == option[0] && text[1] == option[1] ? text + 2 : text;
}

// The shell's own name, as the system's command-line rules end it: a name that begins with a
// double quote ends at the next one (it may hold blanks), any other at the first blank.
static const char* skip_program_name(const char* line)
{
    if (*line == '"') {
        const char* close = std::strchr(line + 1, '"');
        return close ? close + 1 : line + std::strlen(line);
    }
    while (static_cast<unsigned char>(*line) > 0x20)
        ++line;
    return line;
}

// Output still buffered is written before the end, and a failure to write it is told.
[[noreturn]] static void exit_checked(int32_t status)
{
    sys_flush_out();
    stop_on_output_failure();
    sys_exit(static_cast<uint32_t>(status));
}

void shell_main()
{
    ShellContext* ctx = &shell_context;
    const char* rest = skip_program_name(sys_command_line());
    init_context(ctx);
    rest = skip_blanks(rest);
    // A child shell goes on with its parent's state and runs its one command, nothing else.
    if (take_over_state(ctx)) {
        ctx->child_shell = true;
        int32_t status = run_line(rest, ctx);
        sys_exit(sys_status_exit_code(status));
    }
    answer_help_or_version(rest);
    const char* after_f = skip_option(rest, "-f");
    if (after_f == rest)
        run_line(STARTUP_LINE, ctx);
    // Started by the system for a script: run it as `source` would, once, never as a command
    // line, which would only start the script again.
    if (char** script = sys_script_words())
        exit_checked(builtin_source(script, ctx));
    const char* options_end = skip_blanks(after_f);
    rest = skip_option(options_end, "-c");
    if (*rest)
        exit_checked(run_command_text(rest, rest != options_end, ctx));
    // Interactive mode: the recovery point. An interrupt unwinds the abandoned work, whose
    // owners close its files and searches, and the loop starts again with a new prompt.
    sys_on_interrupt(on_interrupt); // it stays in force, so every Ctrl-C is one interrupt
    if (sys_input_is_terminal())
        history_file_start(ctx); // after the start-up line, which may set VRELHISTORY
    output_failure_recovers();
    for (;;) {
        interrupted = 0;
        try {
            read_eval_loop(ctx);
            exit_checked(ctx->status);
        } catch (const Interrupt&) {
            // The context stays as the abandoned work left it; only the loop starts again.
        }
    }
}
