// control.cpp: the conditional keywords, and, or, and the loops repeat, lwhile and lfor.
//
// None of these owns a block of text: a conditional is a state byte per level in the context,
// and each keyword or loop runs the rest of its own command through run_one.
#include "exec/control.h"

#include "console/output.h"
#include "core/run_line.h"
#include "fileutil/walk.h"
#include "parse/strings.h"

#include <cstring>

static int32_t run_if_any(char** words, ShellContext* ctx)
{
    return words[0] ? run_one(words, ctx) : 0;
}

int32_t builtin_if(char** words, ShellContext* ctx)
{
    bool runs = ctx->if_states[ctx->if_level] & IF_RUN;
    // Ten levels are all there is; an error ends the line before anything is run or skipped.
    if (ctx->if_level >= IF_LEVELS - 1) {
        out_error("if", ":nested too deep");
        return -1;
    }
    ++ctx->if_level;
    if (!runs) {
        ctx->if_states[ctx->if_level] = IF_SKIP;
        return 0;
    }
    ctx->if_states[ctx->if_level] = IF_TEST;
    return run_if_any(words, ctx);
}

// Inside a script, eval text or function body a keyword at the level the text began at has
// no `if` of the text's own: it would close or turn the caller's level, so it is refused.
static bool stray_keyword(const char* keyword, ShellContext* ctx)
{
    if (!ctx->text_name || ctx->if_level > ctx->text_if_level)
        return false;
    out_fmt_line("%s:%s without if", ctx->text_name, keyword);
    return true;
}

int32_t builtin_then(char** words, ShellContext* ctx)
{
    if (stray_keyword("then", ctx))
        return 1;
    uint8_t* state = &ctx->if_states[ctx->if_level];
    if (ctx->if_level == 0 || *state != IF_TEST)
        return 0;
    *state = ctx->status == 0 ? IF_RUN : IF_WAIT;
    return *state == IF_RUN ? run_if_any(words, ctx) : 0;
}

int32_t builtin_elif(char** words, ShellContext* ctx)
{
    if (stray_keyword("elif", ctx))
        return 1;
    uint8_t* state = &ctx->if_states[ctx->if_level];
    if (ctx->if_level == 0 || *state == IF_SKIP)
        return 0;
    if (*state != IF_WAIT) {
        *state = IF_SKIP; // a branch was taken, or elif came before its then
        return 0;
    }
    *state = IF_TEST;
    return run_if_any(words, ctx);
}

int32_t builtin_else(char** words, ShellContext* ctx)
{
    if (stray_keyword("else", ctx))
        return 1;
    uint8_t* state = &ctx->if_states[ctx->if_level];
    if (ctx->if_level == 0 || *state == IF_SKIP)
        return 0;
    *state = *state == IF_WAIT ? IF_RUN : IF_WAIT;
    // While the level now waits, dispatch skips the command unless it is a keyword itself,
    // so `else if ...` opens a level that runs only when this branch is taken.
    return run_if_any(words, ctx);
}

int32_t builtin_fi(char**, ShellContext* ctx)
{
    if (stray_keyword("fi", ctx))
        return 1;
    if (ctx->if_level > 0)
        --ctx->if_level;
    return 0;
}

int32_t builtin_and(char** words, ShellContext* ctx)
{
    return ctx->status == 0 && words[0] ? run_one(words, ctx) : 1;
}

int32_t builtin_or(char** words, ShellContext* ctx)
{
    return ctx->status != 0 && words[0] ? run_one(words, ctx) : 0;
}

// The command a loop runs again and again, with the redirection state its own command had.
// A body that runs further lines (eval, a function) leaves the state of their last command
// behind; each run starts from the loop's own again, so a later run is not taken for a
// redirected command pointing at words that are gone.
struct LoopBody {
    char** words;
    char* in_path;
    char* out_path;
    char* err_path;
    uint32_t redir_flags;
    uint32_t command_options;
};

constexpr uint32_t COMMAND_OPTIONS = OPT_NOWAIT | OPT_PIPE;

static void loop_body_init(LoopBody* body, char** words, ShellContext* ctx)
{
    body->words = words;
    body->in_path = ctx->in_path;
    body->out_path = ctx->out_path;
    body->err_path = ctx->err_path;
    body->redir_flags = ctx->redir_flags;
    body->command_options = ctx->options & COMMAND_OPTIONS;
}

static int32_t loop_body_run(const LoopBody* body, ShellContext* ctx)
{
    // A loop whose body writes nothing would not look at the interrupt otherwise.
    check_interrupt();
    ctx->in_path = body->in_path;
    ctx->out_path = body->out_path;
    ctx->err_path = body->err_path;
    ctx->redir_flags = body->redir_flags;
    ctx->options = (ctx->options & ~COMMAND_OPTIONS) | body->command_options;
    return run_one(body->words, ctx);
}

// Holds one repeat level and gives it back when the loop ends or an interrupt abandons it.
struct LoopLevel {
    ShellContext* ctx;
    explicit LoopLevel(ShellContext* c) : ctx(c)
    {
        ++ctx->loop_level;
        ctx->loop_counters[ctx->loop_level] = 0;
    }
    LoopLevel(const LoopLevel&) = delete;
    LoopLevel& operator=(const LoopLevel&) = delete;
    ~LoopLevel() { --ctx->loop_level; }
};

int32_t builtin_repeat(char** words, ShellContext* ctx)
{
    if (!words[0])
        return 0;
    // Six counters are all there is. The message matters: a repeat that runs this one
    // ignores its status.
    if (ctx->loop_level >= LOOP_LEVELS - 1) {
        out_error("repeat", ":nested too deep");
        return -1;
    }
    uint32_t count = parse_decimal(words[0]);
    LoopLevel level(ctx);
    if (!words[1])
        return 0;
    LoopBody body;
    loop_body_init(&body, words + 1, ctx);
    // The count is kept in 32 bits, so every count ends; $/ shows its low 16 bits.
    for (uint32_t done = 0; done < count; ++done) {
        ++ctx->loop_counters[ctx->loop_level];
        loop_body_run(&body, ctx);
    }
    return 0;
}

int32_t builtin_lwhile(char** words, ShellContext* ctx)
{
    if (!words[0])
        return 0;
    LoopBody body;
    loop_body_init(&body, words, ctx);
    while (loop_body_run(&body, ctx) == 0) {
    }
    return 0;
}

// The state of one running lfor. The walker's visitor reaches it through the innermost one;
// an lfor run by the body stacks its own above it and takes it off again when it ends.
struct LforLoop {
    const char* name;
    LoopBody body;
    bool recursive;
};

static LforLoop* current_lfor = nullptr;

struct LforScope {
    LforLoop* outer;
    explicit LforScope(LforLoop* loop) : outer(current_lfor) { current_lfor = loop; }
    LforScope(const LforScope&) = delete;
    LforScope& operator=(const LforScope&) = delete;
    ~LforScope() { current_lfor = outer; }
};

static void lfor_step(LforLoop* loop, const char* value, ShellContext* ctx)
{
    sys_set_env(loop->name, value);
    if (loop->body.words[0])
        loop_body_run(&loop->body, ctx);
    // A file built-in in the body leaves its own walk options; the walk of the loop leaves
    // "." and ".." out, or a recursive walk would enter them.
    ctx->walk_options = WALK_NAMES_ONLY;
}

static void lfor_visit(const FindData* entry, char* path, ShellContext* ctx)
{
    LforLoop* loop = current_lfor;
    lfor_step(loop, path, ctx);
    // A link or other reparse point is visited but never entered: a link to a directory
    // above would lead the walk round in circles.
    if (!loop->recursive || !is_plain_directory(entry))
        return;
    *walk_below(path, lfor_visit, ctx) = 0;
}

// The index of the word ":", or -1.
static int find_colon(char** words)
{
    for (int i = 0; words[i]; ++i) {
        if (std::strcmp(words[i], ":") == 0)
            return i;
    }
    return -1;
}

int32_t builtin_lfor(char** words, ShellContext* ctx)
{
    ctx->walk_options = WALK_NAMES_ONLY;
    int colon = find_colon(words);
    if (colon < 2)
        return -1;
    LforLoop loop;
    loop.recursive = std::strcmp(words[0], "-R") == 0;
    int first = loop.recursive ? 1 : 0;
    loop.name = words[first];
    loop_body_init(&loop.body, words + colon + 1, ctx);
    LforScope scope(&loop);
    for (int i = first + 1; i < colon; ++i) {
        if (std::strchr(words[i], '*'))
            walk_files(words[i], lfor_visit, ctx);
        else
            lfor_step(&loop, words[i], ctx);
    }
    return 0;
}
