// chmod.cpp: the chmod built-in and its attribute masks.
#include "console/output.h"
#include "fileutil/file_ops.h"
#include "fileutil/walk.h"
#include "parse/strings.h"

// The letters of the option words name the attribute bits 1, 2, 4 ... 128 in this order.
constexpr char CHMOD_LETTERS[] = "rhsvdant";

// Gathered from the option words before each pattern; they accumulate over the whole command.
static uint32_t chmod_set_mask;
static uint32_t chmod_clear_mask;

void op_chmod(const char* path, uint32_t attributes, ShellContext* ctx)
{
    out_trace(ctx, "chmod %s", path);
    if (!sys_set_attributes(path, (attributes | chmod_set_mask) & chmod_clear_mask))
        out_system_error(path, ":chmod error");
}

// A directory is changed before its contents; a link is changed as itself and never entered.
static void chmod_entry(const FindData* entry, char* path, ShellContext* ctx)
{
    op_chmod(path, entry->dwFileAttributes, ctx);
    if ((ctx->walk_options & WALK_OWN) && is_plain_directory(entry))
        walk_below(path, chmod_entry, ctx);
}

static void read_chmod_option(const char* word, ShellContext* ctx)
{
    for (const char* p = word + 1; *p; ++p) {
        if (*p == 'R') {
            ctx->walk_options = WALK_OWN;
            continue;
        }
        int k = char_index(CHMOD_LETTERS, *p);
        if (k == 0)
            continue;
        uint32_t bit = 1u << (k - 1);
        if (word[0] == '-')
            chmod_clear_mask &= ~bit;
        else
            chmod_set_mask |= bit;
    }
}

int32_t builtin_chmod(char** words, ShellContext* ctx)
{
    ctx->walk_options = 0;
    chmod_set_mask = 0;
    chmod_clear_mask = 0xFFFFFFFF;
    for (; *words; ++words) {
        const char* word = *words;
        if ((word[0] == '-' || word[0] == '+') && word[1])
            read_chmod_option(word, ctx);
        else if (word[0] != '-' && word[0] != '+')
            walk_files(word, chmod_entry, ctx);
    }
    return 0;
}
