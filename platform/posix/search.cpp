// search.cpp: directory searches by a pattern whose last component may hold * and ?.
//
// The names of a directory are read at once, kept when they match, and delivered sorted by
// byte order with "." and ".." first, so listings come out the same on every file system.
#include "platform/platform.h"
#include "posix_layer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

struct SysSearch {
    std::string directory; // the pattern up to its last '/', empty for the current directory
    std::vector<std::string> names;
    size_t next = 0;
    int directory_fd = -1; // entries are looked at relative to it, saving a path walk each
    ~SysSearch()
    {
        if (directory_fd >= 0)
            close(directory_fd);
    }
};

// The position after one UTF-8 character, so that ? stands for a whole character.
static const char* after_character(const char* text)
{
    ++text;
    while ((static_cast<unsigned char>(*text) & 0xC0) == 0x80)
        ++text;
    return text;
}

static bool wildcard_match(const char* name, const char* pattern)
{
    const char* star = nullptr; // the pattern after the last *, and where its match began
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = ++pattern;
            resume = name;
        } else if (*pattern == '?') {
            name = after_character(name);
            ++pattern;
        } else if (*pattern == *name) {
            ++pattern;
            ++name;
        } else if (star) {
            resume = after_character(resume);
            name = resume;
            pattern = star;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == 0;
}

// "*" and "*.*" match every name; "x.*" also matches what "x" matches, so ma*.* finds makefile.
static bool name_matches(const char* name, const std::string& pattern)
{
    if (pattern == "*" || pattern == "*.*" || wildcard_match(name, pattern.c_str()))
        return true;
    size_t length = pattern.size();
    if (length < 2 || pattern.compare(length - 2, 2, ".*") != 0)
        return false;
    return wildcard_match(name, pattern.substr(0, length - 2).c_str());
}

static int name_rank(const std::string& name) { return name == "." ? 0 : name == ".." ? 1 : 2; }

static bool name_before(const std::string& a, const std::string& b)
{
    int rank_a = name_rank(a), rank_b = name_rank(b);
    return rank_a != rank_b ? rank_a < rank_b : a < b;
}

static bool read_matching_names(SysSearch* search, const std::string& pattern)
{
    const char* name = search->directory.empty() ? "." : search->directory.c_str();
    int fd = open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* directory = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!directory) {
        keep_error(errno);
        if (fd >= 0)
            close(fd);
        return false;
    }
    search->directory_fd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    while (struct dirent* entry = readdir(directory))
        if (name_matches(entry->d_name, pattern))
            search->names.push_back(entry->d_name);
    closedir(directory);
    std::sort(search->names.begin(), search->names.end(), name_before);
    return true;
}

// Fills `entry` with the next name that still exists; false when none is left.
static bool deliver_next(SysSearch* search, FindData* entry)
{
    int code = ENOENT;
    while (search->next < search->names.size()) {
        const std::string& name = search->names[search->next++];
        std::string path = search->directory + name;
        struct stat info;
        int looked = search->directory_fd >= 0
                         ? fstatat(search->directory_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW)
                         : lstat(path.c_str(), &info);
        if (looked != 0) {
            code = errno; // gone since the directory was read, or never there
            continue;
        }
        if (name.size() >= sizeof entry->cFileName)
            continue;
        entry->dwFileAttributes = search_attributes_from_stat(path.c_str(), &info);
        entry->nFileSize = static_cast<uint64_t>(info.st_size);
        entry->ftLastWriteTime = info.st_mtime;
        memcpy(entry->cFileName, name.c_str(), name.size() + 1);
        return true;
    }
    keep_error(code);
    return false;
}

SysSearch* sys_find_first(const char* pattern, FindData* entry)
{
    const char* slash = strrchr(pattern, '/');
    const char* last = slash ? slash + 1 : pattern;
    auto* search = new SysSearch;
    search->directory.assign(pattern, static_cast<size_t>(last - pattern));
    bool found = false;
    if (!*last)
        keep_error(ENOENT);
    else if (!strpbrk(last, "*?")) {
        search->names.push_back(last); // the entry itself, a directory too
        found = deliver_next(search, entry);
    } else if (read_matching_names(search, last)) {
        found = deliver_next(search, entry);
    }
    if (found)
        return search;
    delete search;
    return nullptr;
}

bool sys_find_next(SysSearch* search, FindData* entry) { return deliver_next(search, entry); }

void sys_find_close(SysSearch* search) { delete search; }
