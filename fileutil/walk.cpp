// walk.cpp: the wild-card directory walker.
#include "fileutil/walk.h"

#include "console/output.h"
#include "console/shown_text.h"
#include "parse/strings.h"

#include <cstring>

static bool is_dot_name(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Writes the entry's name after the directory part and hands the path to the visitor. A path
// that would leave no room for WALK_BELOW is refused, so no visitor can write past the buffer.
static void visit_entry(const FindData* entry, char* path, char* name_start, Visitor visitor,
                        ShellContext* ctx)
{
    if (is_dot_name(entry->cFileName) && !(ctx->walk_options & WALK_ALL))
        return;
    size_t room = WALK_PATH_SIZE - static_cast<size_t>(name_start - path);
    if (std::strlen(entry->cFileName) + sizeof WALK_BELOW > room) {
        *name_start = 0;
        out_shown(path);
        out_error(entry->cFileName, ":path too long");
        return;
    }
    copy_end(name_start, entry->cFileName);
    visitor(entry, path, ctx);
}

// The directory part of the pattern, copied into path; returns where the names go. It ends where
// the directory search takes the last component to begin, so a path names the entry found: on
// POSIX only at the last '/', since ':' and '\' may be part of a file's name there.
static char* search_dir_part(char* path, const char* pattern)
{
    if (PLATFORM_DOS_SEPARATORS)
        return dir_part(path, pattern);
    const char* slash = std::strrchr(pattern, '/');
    size_t length = slash ? static_cast<size_t>(slash + 1 - pattern) : 0;
    std::memcpy(path, pattern, length);
    path[length] = 0;
    return path + length;
}

void walk_files(const char* pattern, Visitor visitor, ShellContext* ctx)
{
    if (std::strcmp(pattern, "*") == 0)
        pattern = "*.*";
    if (std::strlen(pattern) >= WALK_PATH_SIZE) {
        out_error(pattern, ":path too long");
        return;
    }
    // Our own copy of the directory part: a visitor may extend the path it was handed and walk
    // it, and that nested walk builds its paths here while the outer buffer keeps its text.
    char path[WALK_PATH_SIZE];
    char* name_start = search_dir_part(path, pattern);
    FindData entry;
    SearchOwner search(sys_find_first(pattern, &entry));
    if (!search.search) {
        out_system_error(pattern, ":not found");
        return;
    }
    bool lost = false;
    do {
        lost |= entry.name_lost;
        if (!entry.name_lost)
            visit_entry(&entry, path, name_start, visitor, ctx);
    } while (sys_find_next(search.search, &entry));
    // Any text for such a name would be '?' or a look-alike, and would reach other files.
    if (lost && !(ctx->walk_options & WALK_NAMES_ONLY))
        out_error(pattern, ":name not in code page");
}

bool is_plain_directory(const FindData* entry)
{
    uint32_t bits = entry->dwFileAttributes;
    return (bits & ATTR_DIRECTORY) && !(bits & ATTR_REPARSE_POINT);
}

char* walk_below(char* path, Visitor visitor, ShellContext* ctx)
{
    char* end = path + std::strlen(path);
    copy_end(end, WALK_BELOW);
    walk_files(path, visitor, ctx);
    return end;
}

void walk_each(char** patterns, Visitor visitor, ShellContext* ctx)
{
    for (; *patterns; ++patterns)
        walk_files(*patterns, visitor, ctx);
}
