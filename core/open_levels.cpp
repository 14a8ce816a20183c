// open_levels.cpp: closing what a script, an eval or a function body left open.
//
// A conditional and a function definition are states of the shell, not blocks of text, so a
// script that forgets its fi or its } would leave every later line skipped or collected, and
// one that ends with `|` would leave its output to whatever program runs next. Conditionals
// typed at the prompt over several lines are not touched: only text run by source, eval or a
// function is held to closing what it opens.
#include "core/open_levels.h"

#include "console/output.h"
#include "exec/functions.h"

OpenLevels::OpenLevels(ShellContext* c, const char* text_name)
    : ctx(c), name(text_name), if_level(c->if_level), defining((c->options & OPT_DEFINING) != 0),
      closed(false), pipe{}, outer_if_level(c->text_if_level), outer_name(c->text_name)
{
    pipe_hand_on_start(&pipe, ctx);
    ctx->text_if_level = if_level;
    ctx->text_name = name;
}

void levels_after_line(OpenLevels* levels) { pipe_after_line(&levels->pipe, levels->ctx); }

struct LeftOpen {
    bool conditional, definition, pipe;
};

// Closes without a word; true when anything was open.
static bool close_quietly(OpenLevels* levels, LeftOpen* open)
{
    ShellContext* ctx = levels->ctx;
    levels->closed = true;
    ctx->text_if_level = levels->outer_if_level;
    ctx->text_name = levels->outer_name;
    open->conditional = ctx->if_level > levels->if_level;
    open->definition = !levels->defining && (ctx->options & OPT_DEFINING);
    open->pipe = pipe_close_left(&levels->pipe, ctx);
    if (open->conditional)
        ctx->if_level = levels->if_level;
    if (open->definition)
        func_drop_definition(ctx);
    return open->conditional || open->definition || open->pipe;
}

void close_open_levels(OpenLevels* levels)
{
    LeftOpen open;
    if (!close_quietly(levels, &open))
        return;
    const char* separator = ":";
    const bool left[] = {open.conditional, open.definition, open.pipe};
    const char* const what[] = {"if without fi", "function without }", "| without a program"};
    out_str(levels->name);
    for (int i = 0; i < 3; ++i) {
        if (!left[i])
            continue;
        out_str(separator);
        out_str(what[i]);
        separator = ", ";
    }
    out_newline();
}

OpenLevels::~OpenLevels()
{
    LeftOpen open;
    if (!closed)
        close_quietly(this, &open);
}
