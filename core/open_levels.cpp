// open_levels.cpp: closing what a script, an eval or a function body left open.
//
// A conditional and a function definition are states of the shell, not blocks of text, so a
// script that forgets its fi or its } would leave every later line skipped or collected.
// Conditionals typed at the prompt over several lines are not touched: only text run by
// source, eval or a function is held to closing what it opens.
#include "core/open_levels.h"

#include "console/output.h"
#include "exec/functions.h"

OpenLevels::OpenLevels(ShellContext* c, const char* text_name)
    : ctx(c), name(text_name), if_level(c->if_level), defining((c->options & OPT_DEFINING) != 0),
      closed(false)
{
}

// Closes without a word; true when anything was open.
static bool close_quietly(OpenLevels* levels, bool* conditional, bool* definition)
{
    ShellContext* ctx = levels->ctx;
    levels->closed = true;
    *conditional = ctx->if_level > levels->if_level;
    *definition = !levels->defining && (ctx->options & OPT_DEFINING);
    if (*conditional)
        ctx->if_level = levels->if_level;
    if (*definition)
        func_end_definition(ctx);
    return *conditional || *definition;
}

void close_open_levels(OpenLevels* levels)
{
    bool conditional, definition;
    if (!close_quietly(levels, &conditional, &definition))
        return;
    if (conditional && definition)
        out_error(levels->name, ":if without fi, function without }");
    else
        out_error(levels->name, conditional ? ":if without fi" : ":function without }");
}

OpenLevels::~OpenLevels()
{
    bool conditional, definition;
    if (!closed)
        close_quietly(this, &conditional, &definition);
}
