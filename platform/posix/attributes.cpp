// attributes.cpp: the attribute word of a path, emulated from its type and permissions.
//
// Directory, device and link bits come from the file type (a link to a directory has both the
// link and the directory bit) and read-only from the owner's write permission; hidden, system,
// archive and the other bits are kept in the extended attribute "user.DOSATTRIB" as hexadecimal
// text ("0x20"), the form file servers use for them. Without that attribute a regular file has
// archive set and nothing else.
#include "platform/platform.h"
#include "posix_layer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/xattr.h>

constexpr const char* ATTR_STORE_NAME = "user.DOSATTRIB";
// Bits that follow from the file itself and are never stored; 0x80 only stands for "none".
constexpr uint32_t ATTR_DERIVED =
    ATTR_READONLY | ATTR_DIRECTORY | ATTR_DEVICE | ATTR_REPARSE_POINT | ATTR_NORMAL;

// The stored bits of `path`, false when it has none in our form.
static bool read_stored(const char* path, uint32_t* bits)
{
    char text[64];
    ssize_t length = lgetxattr(path, ATTR_STORE_NAME, text, sizeof text - 1);
    if (length < 3)
        return false;
    text[length] = 0;
    if (text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return false;
    char* end = nullptr;
    unsigned long value = strtoul(text + 2, &end, 16);
    if (end == text + 2)
        return false;
    *bits = static_cast<uint32_t>(value) & ~ATTR_DERIVED;
    return true;
}

// The type of what a path leads to: a link's target (0 when it leads nowhere), else itself.
static mode_t target_type(const char* path, const struct stat* info)
{
    struct stat target;
    if (!S_ISLNK(info->st_mode))
        return info->st_mode & S_IFMT;
    return stat(path, &target) == 0 ? target.st_mode & S_IFMT : 0;
}

// A link to a file reads as a file, as a Windows file link has archive set.
static uint32_t default_stored(mode_t type) { return S_ISREG(type) ? ATTR_ARCHIVE : 0; }

static bool stored_wanted = true;

void sys_search_stored_attributes(bool wanted) { stored_wanted = wanted; }

uint32_t attributes_from_stat(const char* path, const struct stat* info)
{
    return attributes_from_stat(path, info, true);
}

uint32_t search_attributes_from_stat(const char* path, const struct stat* info)
{
    return attributes_from_stat(path, info, stored_wanted);
}

uint32_t attributes_from_stat(const char* path, const struct stat* info, bool read_store)
{
    uint32_t word = 0;
    mode_t type = target_type(path, info);
    // A link to a directory has the directory bit beside its own, as on Windows; recursion
    // looks at both and never enters it.
    if (S_ISDIR(type))
        word |= ATTR_DIRECTORY;
    if (S_ISLNK(info->st_mode))
        word |= ATTR_REPARSE_POINT;
    else if (!(info->st_mode & S_IWUSR))
        word |= ATTR_READONLY;
    if (S_ISCHR(info->st_mode) || S_ISBLK(info->st_mode))
        word |= ATTR_DEVICE;
    uint32_t stored = 0;
    word |= read_store && read_stored(path, &stored) ? stored : default_stored(type);
    return word ? word : ATTR_NORMAL;
}

uint32_t sys_get_attributes(const char* path)
{
    struct stat info;
    if (lstat(path, &info) != 0) {
        keep_error(errno);
        return ATTR_INVALID;
    }
    return attributes_from_stat(path, &info);
}

static bool fail(int code)
{
    keep_error(code);
    return false;
}

// Writes `wanted` to the extended attribute, or removes it when the default says the same.
static bool store_bits(const char* path, const struct stat* info, uint32_t wanted)
{
    uint32_t current = 0;
    bool has_store = read_stored(path, &current);
    if (wanted == default_stored(target_type(path, info))) {
        if (has_store && lremovexattr(path, ATTR_STORE_NAME) != 0 && errno != ENODATA)
            return fail(errno);
        return true;
    }
    if (has_store && current == wanted)
        return true;
    char text[16];
    int length = snprintf(text, sizeof text, "0x%x", wanted);
    if (lsetxattr(path, ATTR_STORE_NAME, text, static_cast<size_t>(length), 0) != 0)
        return fail(errno);
    return true;
}

static mode_t wanted_mode(mode_t mode, bool read_only)
{
    if (read_only)
        return mode & ~static_cast<mode_t>(0222);
    return mode | S_IWUSR;
}

bool sys_set_attributes(const char* path, uint32_t attributes)
{
    struct stat info;
    if (lstat(path, &info) != 0)
        return fail(errno);
    uint32_t wanted = attributes & ~ATTR_DERIVED;
    if (S_ISLNK(info.st_mode)) // a link has no permissions of its own to change
        return store_bits(path, &info, wanted);
    mode_t mode = info.st_mode & 07777;
    // The extended attribute of a file that its owner may not write cannot be changed either.
    bool opened_up = !(mode & S_IWUSR) && chmod(path, mode | S_IWUSR) == 0;
    if (!store_bits(path, &info, wanted)) {
        int code = errno;
        if (opened_up)
            chmod(path, mode);
        return fail(code);
    }
    mode_t final_mode = wanted_mode(mode, attributes & ATTR_READONLY);
    if ((final_mode != mode || opened_up) && chmod(path, final_mode) != 0)
        return fail(errno);
    return true;
}
