// du.cpp: the du built-in, sizes in KiB per directory tree.
#include "console/output.h"
#include "console/shown_text.h"
#include "fileutil/listings.h"
#include "fileutil/walk.h"

// Each entry counts its size rounded up to whole KiB. A directory's line comes after those of
// its subdirectories and names the pattern it was walked with ("dir/*.*"). A link, junction or
// other reparse point counts as itself and is never entered.
static void du_entry(const FindData* entry, char* path, ShellContext* ctx)
{
    uint64_t size = entry->nFileSize;
    ctx->du_total += size / 1024 + (size % 1024 != 0 ? 1 : 0);
    uint64_t before = ctx->du_total;
    if (!is_plain_directory(entry))
        return;
    walk_below(path, du_entry, ctx);
    if (ctx->walk_options & WALK_OWN)
        return;
    out_fmt("%llu\t", static_cast<unsigned long long>(ctx->du_total - before));
    out_shown(path);
    out_newline();
}

// du needs only sizes and the directory and link bits, so its searches may leave out the
// attribute bits that cost a system call per entry; they are back on when du ends, however.
struct StoredAttributesOff {
    StoredAttributesOff() { sys_search_stored_attributes(false); }
    StoredAttributesOff(const StoredAttributesOff&) = delete;
    StoredAttributesOff& operator=(const StoredAttributesOff&) = delete;
    ~StoredAttributesOff() { sys_search_stored_attributes(true); }
};

int32_t builtin_du(char** words, ShellContext* ctx)
{
    StoredAttributesOff sizes_only;
    ctx->walk_options = 0;
    ctx->du_total = 0;
    if (words[0] && words[0][0] == '-') {
        ctx->walk_options = WALK_OWN; // the total alone
        ++words;
    }
    if (words[0])
        walk_each(words, du_entry, ctx);
    else
        walk_files("*", du_entry, ctx);
    out_fmt("%llu\r\n", static_cast<unsigned long long>(ctx->du_total));
    return 0;
}
