// command.cpp: the command splitter, redirection, pipes and external programs.
#include "exec/command.h"

#include "console/output.h"
#include "console/shown_text.h"
#include "exec/child_shell.h"
#include "parse/read_word.h"
#include "parse/strings.h"

#include <cstring>

// A joined line that does not fit is refused with the C library's "argument list too long".
constexpr uint32_t COMMAND_ERROR_TOO_LONG = 7;

// A separator word ends the command; true when `first` is one.
static bool take_separator(char first, ShellContext* ctx)
{
    if (first == ';')
        return true;
    if (first == '&') {
        ctx->options |= OPT_NOWAIT;
        return true;
    }
    if (first == '|') {
        ctx->redir_flags |= REDIR_ANY;
        ctx->options |= OPT_PIPE | OPT_NOWAIT;
        return true;
    }
    return false;
}

// Records the redirection an operator word ('<' or '>' first) makes; returns the path it sets.
static char** redirection_target(const char* op, ShellContext* ctx)
{
    char** target = op[0] == '<' ? &ctx->in_path : &ctx->out_path;
    if (op[1] == '>') {
        ctx->redir_flags |= REDIR_APPEND; // for every output file of the command
        ++op;
    }
    if (op[1] == 'e')
        target = &ctx->err_path;
    ctx->redir_flags |= REDIR_ANY;
    return target;
}

char** next_command(char** argv, char** words, const bool* operators, ShellContext* ctx)
{
    ctx->in_path = nullptr;
    ctx->out_path = nullptr;
    ctx->err_path = nullptr;
    ctx->redir_flags = 0;
    ctx->options &= ~(OPT_NOWAIT | OPT_PIPE);
    // A word out of quotes or an expansion is data whatever its bytes: `echo "|"` prints.
    while (*words) {
        char* word = *words++;
        if (!*operators++) {
            *argv++ = word;
            continue;
        }
        if (take_separator(word[0], ctx))
            break;
        char** target = redirection_target(word, ctx);
        if (*words) { // the file name is the next word, whatever that is
            *target = *words++;
            ++operators;
        }
    }
    *argv = nullptr;
    return words;
}

static char* copy_word(char* out, char* end, const char* word)
{
    for (; *word; ++word) {
        if (end - out < 2)
            return nullptr;
        *out++ = *word;
    }
    return out;
}

static bool holds_blank(const char* word) { return std::strpbrk(word, " \t") != nullptr; }

// The program's name in double quotes: the system then never tries a shorter part of it.
static char* copy_quoted_name(char* out, char* end, const char* word)
{
    if (end - out < 2)
        return nullptr;
    *out++ = '"';
    out = copy_word(out, end, word);
    if (!out || end - out < 2)
        return nullptr;
    *out++ = '"';
    return out;
}

bool join_words(char* line, char** argv, bool quoted)
{
    char* end = line + COMMAND_LINE_SIZE; // both writers keep the last byte for the terminator
    char* p = line;
    for (char** word = argv; *word; ++word) {
        if (word != argv) {
            if (end - p < 2)
                return false;
            *p++ = ' ';
        }
        if (quoted)
            p = quote_word(p, end, *word);
        else if (word == argv && holds_blank(*word))
            p = copy_quoted_name(p, end, *word);
        else
            p = copy_word(p, end, *word);
        if (!p)
            return false;
    }
    *p = 0;
    return true;
}

static int32_t fail_with(uint32_t error, ShellContext* ctx)
{
    ctx->exit_code = error;
    return -static_cast<int32_t>(error);
}

// The files of one command, closed when it has started or failed, also when an interrupt
// unwinds.
struct CommandFiles {
    HandleOwner in, out, err;
    SysHandle error = SYS_NO_HANDLE; // standard error: its own file, or the output file
};

// The code of a failed opening; never 0, which would pass for success.
static uint32_t open_error()
{
    uint32_t code = sys_last_error();
    return code != 0 ? code : 1;
}

static bool keep_opened(HandleOwner* owner, SysHandle handle)
{
    owner->reset(handle);
    return handle != SYS_NO_HANDLE;
}

// Opens each file named, input first, so that `sort <f >f` fails before f is emptied. 0, or
// the system's code for the first file that cannot be opened.
static uint32_t open_files(CommandFiles* files, ShellContext* ctx)
{
    bool append = (ctx->redir_flags & REDIR_APPEND) != 0;
    if (ctx->in_path && !keep_opened(&files->in, open_input(ctx->in_path, true)))
        return open_error();
    if (ctx->out_path && !keep_opened(&files->out, open_output(ctx->out_path, append)))
        return open_error();
    files->error = files->out.handle;
    if (!ctx->err_path)
        return 0;
    // Output and error naming one file share its handle: a second opening would be refused,
    // as the first holds the file unshared.
    if (files->out.handle != SYS_NO_HANDLE && sys_is_open_file(files->out.handle, ctx->err_path))
        return 0;
    if (!keep_opened(&files->err, open_output(ctx->err_path, append)))
        return open_error();
    files->error = files->err.handle;
    return 0;
}

// Opens the command's files and starts the program; pipe ends win over files. A file that
// cannot be opened fails the command as a program that cannot be started: nothing runs, and
// the pipe made for its output is dropped.
static int32_t start_redirected(const char* line, ShellContext* ctx, SysHandle pipe_in,
                                SysHandle pipe_out)
{
    CommandFiles files;
    if (uint32_t error = open_files(&files, ctx)) {
        sys_close(ctx->pending_pipe);
        ctx->pending_pipe = SYS_NO_HANDLE;
        return fail_with(error, ctx);
    }
    SysHandle input = pipe_in != SYS_NO_HANDLE ? pipe_in : files.in.handle;
    SysHandle output = pipe_out != SYS_NO_HANDLE ? pipe_out : files.out.handle;
    return start_program(line, ctx, input, output, files.error);
}

// A redirected built-in or function has the status it would have here: a child shell waited
// for hands it back as its exit code.
static int32_t child_shell_status(ShellContext* ctx)
{
    if (!(ctx->redir_flags & REDIR_SHELL) || (ctx->options & OPT_NOWAIT))
        return 0;
    int32_t status = sys_exit_code_status(ctx->exit_code);
    if (status < 0)
        ctx->redir_flags |= REDIR_FAILED;
    return status;
}

int32_t run_external(char** argv, ShellContext* ctx)
{
    if (!argv[0])
        return 0;
    // The pipe of the previous command is this program's, started or not.
    HandleOwner pipe_in(ctx->pending_pipe);
    ctx->pending_pipe = SYS_NO_HANDLE;
    if (PLATFORM_BACKSLASH_COMMANDS)
        to_backslashes(argv[0]);
    char line[COMMAND_LINE_SIZE];
    if (!join_words(line, argv, (ctx->redir_flags & REDIR_SHELL) != 0))
        return fail_with(COMMAND_ERROR_TOO_LONG, ctx);
    if (ctx->options & OPT_ECHO) {
        out_shown(line);
        out_newline();
    }
    // A child shell that did not get the state would start afresh and run the start-up line
    // where the command's output should go.
    StateHandOver hand_over(ctx, (ctx->redir_flags & REDIR_SHELL) != 0);
    if (hand_over.failure)
        return fail_with(hand_over.failure, ctx);
    HandleOwner pipe_out;
    if (ctx->options & OPT_PIPE) {
        SysHandle read_end = SYS_NO_HANDLE;
        SysHandle write_end = SYS_NO_HANDLE;
        uint32_t error = sys_make_pipe(&read_end, &write_end);
        if (error)
            return fail_with(error, ctx);
        ctx->pending_pipe = read_end;
        if (++ctx->pipe_serial == 0) // 0 stands for no pipe
            ctx->pipe_serial = 1;
        pipe_out.reset(write_end);
    }
    int32_t status = start_redirected(line, ctx, pipe_in.handle, pipe_out.handle);
    return status == 0 ? child_shell_status(ctx) : status;
}

int32_t start_program(const char* line, ShellContext* ctx, SysHandle input, SysHandle output,
                      SysHandle error)
{
    ctx->exit_code = 0;
    // The child shares the terminal and follows the shell's output so far.
    sys_restore_terminal();
    sys_flush_out();
    bool wait = (ctx->options & OPT_NOWAIT) == 0;
    uint32_t failure = sys_start_program(line, input, output, error, wait, &ctx->exit_code);
    if (failure)
        return fail_with(failure, ctx);
    return 0;
}

SysHandle open_output(const char* name, bool append) { return sys_open_output(name, append); }

SysHandle open_input(const char* name, bool inheritable)
{
    return sys_open_input(name, inheritable);
}
