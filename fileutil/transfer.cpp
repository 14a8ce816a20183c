// transfer.cpp: mv and cp, their destination modes and the slash collapsing of each target.
#include "console/output.h"
#include "console/shown_text.h"
#include "fileutil/file_ops.h"
#include "fileutil/walk.h"
#include "parse/char_class.h"
#include "parse/strings.h"

#include <cstring>

static_assert(DEST_PATH_SIZE == WALK_PATH_SIZE, "a target holds whatever the walker reaches");

static bool is_slash(char c) { return c == '/' || c == '\\'; }

char* collapse_slashes(char* text)
{
    char* out = text;
    const char* in = text;
    while (*in) {
        if (is_lead(*in) && in[1]) {
            // The second byte of a double-byte character is never a slash, whatever it looks like.
            *out++ = *in++;
            *out++ = *in++;
            continue;
        }
        bool slash = is_slash(*in);
        *out++ = *in++;
        while (slash && is_slash(*in))
            ++in;
    }
    *out = 0;
    return out;
}

int destination_mode(const char* destination, uint32_t attributes)
{
    if (attributes != ATTR_INVALID && (attributes & ATTR_DIRECTORY))
        return DEST_DIRECTORY;
    if (std::strcmp(destination, ".") == 0 || std::strcmp(destination, "..") == 0)
        return DEST_DIRECTORY;
    size_t length = std::strlen(destination);
    if (length == 2 && destination[1] == ':')
        return DEST_DRIVE;
    if (length == 3 && destination[1] == ':' && is_slash(destination[2]))
        return DEST_DRIVE;
    if (length == 1 && is_slash(destination[0]))
        return DEST_DRIVE;
    return DEST_FILE;
}

// The attribute word of the destination; a link that leads to a directory counts as one, so
// that `mv f link` puts f into the linked directory instead of replacing the link itself.
static uint32_t destination_attributes(const char* destination)
{
    uint32_t bits = sys_get_attributes(destination);
    if (bits == ATTR_INVALID || (bits & ATTR_DIRECTORY) || !(bits & ATTR_REPARSE_POINT))
        return bits;
    char inside[DEST_PATH_SIZE + 2];
    if (std::strlen(destination) + 3 > sizeof inside)
        return bits;
    append_end(copy_end(inside, destination), "/.");
    uint32_t target = sys_get_attributes(inside);
    if (target != ATTR_INVALID && (target & ATTR_DIRECTORY))
        bits |= ATTR_DIRECTORY;
    return bits;
}

bool set_destination(const char* destination, ShellContext* ctx)
{
    uint32_t attributes = destination_attributes(destination);
    if (attributes == ATTR_INVALID && sys_path_too_long()) {
        out_error(destination, ":path too long");
        return false;
    }
    int mode = destination_mode(destination, attributes);
    size_t needed = std::strlen(destination) + 1 + (mode == DEST_DIRECTORY ? 1 : 0);
    if (needed > DEST_PATH_SIZE) {
        out_error(destination, ":path too long");
        return false;
    }
    char* end = copy_end(ctx->dest_path, destination);
    if (mode == DEST_DIRECTORY)
        end = copy_end(end, "/");
    ctx->dest_tail = mode == DEST_FILE ? nullptr : end;
    return true;
}

// Forms the entry's target afresh in `target` (DEST_PATH_SIZE bytes): false, after an error
// line, when the destination and the name do not fit.
static bool entry_target(const FindData* entry, char* target, ShellContext* ctx)
{
    if (!ctx->dest_tail) {
        copy_end(target, ctx->dest_path);
    } else {
        size_t head = static_cast<size_t>(ctx->dest_tail - ctx->dest_path);
        if (head + std::strlen(entry->cFileName) + 1 > DEST_PATH_SIZE) {
            out_shown(ctx->dest_path);
            out_error(entry->cFileName, ":path too long");
            return false;
        }
        std::memcpy(target, ctx->dest_path, head);
        copy_end(target + head, entry->cFileName);
    }
    collapse_slashes(target);
    return true;
}

static char fold_case(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool names_same_entry(const char* source, const char* destination, bool case_blind)
{
    if (!case_blind)
        return false;
    bool differs = false;
    for (; *source && *destination; ++source, ++destination) {
        char a = *source, b = *destination;
        if (is_lead(a) && source[1]) {
            // The second byte of a double-byte character is no letter, whatever it looks like.
            if (a != b || source[1] != destination[1])
                return false;
            ++source;
            ++destination;
            continue;
        }
        if (is_slash(a) && is_slash(b))
            continue;
        if (fold_case(a) != fold_case(b))
            return false;
        differs = differs || a != b;
    }
    return differs && *source == *destination;
}

// The destination word of the running mv, as typed.
static const char* mv_destination;

static void mv_entry(const FindData* entry, char* path, ShellContext* ctx)
{
    if (names_same_entry(path, mv_destination, PLATFORM_CASE_BLIND_NAMES)) {
        op_move(path, mv_destination, ctx);
        return;
    }
    char target[DEST_PATH_SIZE];
    if (entry_target(entry, target, ctx))
        op_move(path, target, ctx);
}

static void cp_entry(const FindData* entry, char* path, ShellContext* ctx)
{
    if (entry->dwFileAttributes & ATTR_DIRECTORY) {
        out_error(path, ":directory");
        return;
    }
    char target[DEST_PATH_SIZE];
    if (entry_target(entry, target, ctx))
        op_copy(path, target, ctx);
}

// The last word is the destination, every other word a source pattern.
static int32_t transfer_files(char** words, ShellContext* ctx, Visitor visitor)
{
    ctx->walk_options = 0;
    int count = 0;
    while (words[count])
        ++count;
    if (count < 2)
        return 0;
    if (!set_destination(words[count - 1], ctx))
        return 0;
    for (int i = 0; i < count - 1; ++i)
        walk_files(words[i], visitor, ctx);
    return 0;
}

int32_t builtin_mv(char** words, ShellContext* ctx)
{
    mv_destination = "";
    for (char** word = words; *word; ++word)
        mv_destination = *word;
    return transfer_files(words, ctx, mv_entry);
}

int32_t builtin_cp(char** words, ShellContext* ctx) { return transfer_files(words, ctx, cp_entry); }
