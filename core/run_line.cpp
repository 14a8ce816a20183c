// run_line.cpp: line execution: cut a line into words, then run its commands one by one.
#include "core/run_line.h"

#include "console/output.h"
#include "core/builtins.h"
#include "core/open_levels.h"
#include "core/output_failure.h"
#include "core/pipe_hand_on.h"
#include "exec/command.h"
#include "exec/functions.h"
#include "parse/read_word.h"
#include "parse/strings.h"
#include "parse/variables.h"

#include <array>
#include <cstring>

// A value as long as the longest variable fits beside any line; that is the word area's margin.
constexpr size_t WORD_AREA_MARGIN = LONGEST_VALUE + 1;
// The longest line the shell runs; longer ones are refused whole rather than cut.
constexpr size_t LONGEST_LINE = 32767;
// A function body is copied out of the store before it runs, so it can redefine itself.
constexpr size_t BODY_COPY_SIZE = DEFINITIONS_SIZE;

// The storage of one line, sized from its length. Every word takes at least one byte of the
// line, so a list of L + 1 entries always has room; the argument vector needs one more entry
// for insert_shell_name. Beside each word: whether it is an operator of the line's own text.
template <size_t L> struct LineStorage {
    std::array<char, L + WORD_AREA_MARGIN> area;
    std::array<char*, L + 1> words;
    std::array<bool, L + 1> operators;
    std::array<char*, L + 2> argv;
};

// The number of words, or -1 when the expanded words outgrow the area: the line is then
// refused, since a cut or empty word could make it do something else than it says.
static int split_words(const char* text, char* area, size_t area_size, char** list, bool* operators,
                       ShellContext* ctx)
{
    char* p = area;
    char* area_end = area + area_size;
    int n = 0;
    for (;;) {
        text = skip_blanks(text);
        if (*text == 0 || *text == '#')
            break;
        if (p >= area_end)
            return -1;
        operators[n] = starts_operator(text);
        list[n++] = p;
        text = read_word(p, static_cast<size_t>(area_end - p), text, ctx);
        if (ctx->word_cut)
            return -1;
        p = ctx->word_end + 1;
    }
    list[n] = nullptr;
    return n;
}

// A child shell's output is its parent's to judge: all of it is written before its command
// counts as done, so a write that fails is told with that command's name.
static int32_t run_command(char** argv, ShellContext* ctx)
{
    CommandName name(argv[0] ? argv[0] : "");
    int32_t result = run_one(argv, ctx);
    if (ctx->child_shell) {
        sys_flush_out();
        stop_on_output_failure();
    }
    return result;
}

// The error of a failed child shell is its status (the command's own, or a write failure's
// code), told here on the console, as its output went where the command was redirected.
static void report_command_error(char** argv, ShellContext* ctx)
{
    if (ctx->redir_flags & REDIR_FAILED)
        out_fmt_line("%s:command error(%d)", argv[1], -ctx->status);
    else
        out_fmt_line("%s:command error(%d)", argv[0] ? argv[0] : "",
                     static_cast<int32_t>(ctx->exit_code));
}

// A pipe goes to the command after its `|`; one left by a line that ends with `|` is handed on
// by the text the line belongs to (pipe_after_line).
static int32_t run_commands(char** argv, char** words, const bool* operators, ShellContext* ctx)
{
    char** rest = words;
    bool after_bar = false;
    while (*rest) {
        rest = next_command(argv, rest, operators + (rest - words), ctx);
        uint32_t fed = after_bar ? pending_serial(ctx) : 0;
        after_bar = (ctx->options & OPT_PIPE) != 0;
        int32_t result = run_command(argv, ctx);
        // The command meant to read the pipe has ended without a program taking it.
        close_pipe_if(fed, ctx);
        ctx->status = result;
        if (result < 0) {
            report_command_error(argv, ctx);
            if (after_bar) // the command after the `|` is dropped with the line
                drop_pending_pipe(ctx);
            break;
        }
    }
    return ctx->status;
}

// Lines run inside lines (eval, backquotes, function bodies), each with its storage on the
// stack. Their share of the stack is counted, and a line that would take it past this budget is
// refused: the stack of the Windows build is 2 MiB, and three lines of the largest size nested
// in one another would already come close to it.
constexpr size_t LINE_STACK_BUDGET = 1280 * 1024;
static size_t line_stack_used = 0;

struct LineStackShare {
    size_t size;
    explicit LineStackShare(size_t bytes) : size(bytes) { line_stack_used += size; }
    LineStackShare(const LineStackShare&) = delete;
    LineStackShare& operator=(const LineStackShare&) = delete;
    ~LineStackShare() { line_stack_used -= size; }
};

// Never inlined: each size keeps a frame of its own, so a short line does not carry the
// storage of the long ones.
template <size_t L> [[gnu::noinline]] static int32_t run_words(const char* text, ShellContext* ctx)
{
    if (line_stack_used + sizeof(LineStorage<L>) > LINE_STACK_BUDGET) {
        out_error("vrel", ":nested too deep");
        return ctx->status = -1;
    }
    LineStackShare share(sizeof(LineStorage<L>));
    LineStorage<L> storage;
    int count = split_words(text, storage.area.data(), storage.area.size(), storage.words.data(),
                            storage.operators.data(), ctx);
    if (count < 0) {
        out_error("vrel", ":line too long");
        return ctx->status = -1;
    }
    if (count == 0)
        return 0;
    return run_commands(storage.argv.data(), storage.words.data(), storage.operators.data(), ctx);
}

int32_t run_line(const char* text, ShellContext* ctx)
{
    check_interrupt(); // lines that write nothing (function bodies, scripts) stop here too
    if (ctx->options & OPT_DEFINING) {
        func_add_line(ctx, text);
        return 0;
    }
    size_t length = std::strlen(text);
    // Common lines get a small frame; nested lines (backquotes, eval, function bodies) stay
    // cheap on the stack.
    if (length <= 256)
        return run_words<256>(text, ctx);
    if (length <= 2064)
        return run_words<2064>(text, ctx);
    if (length <= 8192)
        return run_words<8192>(text, ctx);
    if (length <= LONGEST_LINE)
        return run_words<LONGEST_LINE>(text, ctx);
    out_error("vrel", ":line too long");
    return ctx->status = -1;
}

int32_t run_one(char** argv, ShellContext* ctx)
{
    if (!argv[0])
        return 0;
    int32_t result = dispatch(argv, ctx);
    if (result != NOT_HANDLED)
        return result;
    if (ctx->if_states[ctx->if_level] & 1)
        return run_external(argv, ctx);
    return 0;
}

int32_t dispatch(char** argv, ShellContext* ctx)
{
    const char* word = argv[0];
    if (BuiltinHandler keyword = find_builtin(keyword_table, word))
        return keyword(argv + 1, ctx);
    if (!(ctx->if_states[ctx->if_level] & 1))
        return NOT_HANDLED;
    bool redirected = (ctx->redir_flags & REDIR_ANY) != 0;
    if (const char* body = func_find(ctx, word)) {
        if (!redirected)
            return call_function(argv, body, ctx);
    } else {
        // "=ls" reaches the built-in even while a function named ls hides it.
        BuiltinHandler handler = find_builtin(builtin_table, word[0] == '=' ? word + 1 : word);
        if (!handler)
            return NOT_HANDLED;
        if (!redirected)
            return handler(argv + 1, ctx);
    }
    // Redirected or piped: the command runs in a child copy of the shell, which is to read
    // the very words this shell has, quoted.
    ctx->redir_flags |= REDIR_SHELL;
    insert_shell_name(argv);
    return NOT_HANDLED;
}

int32_t call_function(char** argv, const char* body, ShellContext* ctx)
{
    FrameGuard frame(ctx, argv);
    if (!frame.opened)
        return -1;
    std::array<char, BODY_COPY_SIZE> copy;
    char* end = copy_bounded(copy.data(), body, copy.size());
    OpenLevels levels(ctx, argv[0]);
    int32_t status = 0;
    char* line = copy.data();
    while (line < end) {
        while (line < end && (*line == '\n' || *line == '\r'))
            ++line;
        if (line == end)
            break;
        char* stop = line;
        while (stop < end && *stop != '\n' && *stop != '\r')
            ++stop;
        *stop = 0;
        status = run_line(line, ctx);
        levels_after_line(&levels);
        if (status < 0)
            break;
        line = stop + 1;
    }
    close_open_levels(&levels);
    return status;
}

void insert_shell_name(char** argv)
{
    size_t n = 0;
    while (argv[n])
        ++n;
    for (size_t i = n + 1; i > 0; --i)
        argv[i] = argv[i - 1];
    static char shell_name[] = "vrel";
    argv[0] = shell_name;
}

FrameGuard::FrameGuard(ShellContext* c, char** words) : ctx(c), opened(false)
{
    if (ctx->frame_level + 1 >= FRAME_LEVELS)
        return;
    ++ctx->frame_level;
    ctx->frames[ctx->frame_level] = words;
    opened = true;
}

FrameGuard::~FrameGuard()
{
    if (!opened)
        return;
    ctx->frames[ctx->frame_level] = nullptr;
    --ctx->frame_level;
}
