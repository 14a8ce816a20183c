// file_ops.cpp: the primitive file operations and rm, rmdir and mkdir.
#include "fileutil/file_ops.h"

#include "console/output.h"
#include "fileutil/walk.h"

#include <cstring>

void op_delete(const char* path, ShellContext* ctx)
{
    out_trace(ctx, "rm %s", path);
    if (!sys_delete_file(path))
        out_system_error(path, ":rm error");
}

void op_rmdir(const char* path, ShellContext* ctx)
{
    out_trace(ctx, "rmdir %s", path);
    if (!sys_remove_directory(path))
        out_system_error(path, ":rmdir error");
}

void op_mkdir(const char* path, ShellContext* ctx)
{
    out_trace(ctx, "mkdir %s", path);
    if (!sys_make_directory(path))
        out_system_error(path, ":mkdir error");
}

// The subject of a failed move or copy: the source, unless the target is longer. A path the
// system found too long is then the one named, since its limit is a length.
static const char* longer_path(const char* from, const char* to)
{
    return sys_path_too_long() && std::strlen(to) > std::strlen(from) ? to : from;
}

void op_move(const char* from, const char* to, ShellContext* ctx)
{
    out_trace(ctx, "mv %s %s", from, to);
    if (!sys_move(from, to))
        out_system_error(longer_path(from, to), ":mv error");
}

void op_copy(const char* from, const char* to, ShellContext* ctx)
{
    out_trace(ctx, "cp %s %s", from, to);
    if (!sys_copy(from, to))
        out_system_error(longer_path(from, to), ":cp error");
}

// A tree goes depth first: a directory's entries, then the directory. A link, junction or
// other reparse point is removed as itself and never entered, so `rm -r` cannot reach through
// it into the tree it points to; a directory link on Windows goes with RemoveDirectory.
static void rm_entry(const FindData* entry, char* path, ShellContext* ctx)
{
    uint32_t bits = entry->dwFileAttributes;
    if ((bits & ATTR_REPARSE_POINT) && (bits & ATTR_DIRECTORY)) {
        op_rmdir(path, ctx);
    } else if (!(bits & ATTR_DIRECTORY)) {
        op_delete(path, ctx);
    } else if (ctx->walk_options & WALK_OWN) {
        *walk_below(path, rm_entry, ctx) = 0;
        op_rmdir(path, ctx);
    }
}

int32_t builtin_rm(char** words, ShellContext* ctx)
{
    ctx->walk_options = 0;
    if (!words[0])
        return 0;
    // "-r" and anything that starts with it ("-rf") asks for recursion; "-f" is a pattern.
    if (words[0][0] == '-' && words[0][1] == 'r') {
        ctx->walk_options = WALK_OWN;
        ++words;
    }
    walk_each(words, rm_entry, ctx);
    return 0;
}

static void rmdir_entry(const FindData*, char* path, ShellContext* ctx) { op_rmdir(path, ctx); }

int32_t builtin_rmdir(char** words, ShellContext* ctx)
{
    ctx->walk_options = 0;
    walk_each(words, rmdir_entry, ctx);
    return 0;
}

int32_t builtin_mkdir(char** words, ShellContext* ctx)
{
    ctx->walk_options = 0;
    for (; *words; ++words)
        op_mkdir(*words, ctx);
    return 0;
}
