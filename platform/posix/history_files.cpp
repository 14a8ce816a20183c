// history_files.cpp: the history file's place, appends, the lock, and program folders.
#include "platform/platform.h"
#include "posix_layer.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// Keeps errno for sys_last_error and gives the failed result.
template <typename T> static T keep_errno(T result)
{
    keep_error(errno);
    return result;
}

// base + tail into buffer when both fit; the length, else 0.
static size_t join(char* buffer, size_t size, const char* base, const char* tail)
{
    size_t base_length = std::strlen(base);
    size_t tail_length = std::strlen(tail);
    if (base_length + tail_length + 1 > size) {
        if (size)
            buffer[0] = 0;
        return 0;
    }
    std::memcpy(buffer, base, base_length);
    std::memcpy(buffer + base_length, tail, tail_length + 1);
    return base_length + tail_length;
}

size_t sys_history_path(char* buffer, size_t size)
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state)
        return join(buffer, size, state, "/vrel/history");
    const char* home = std::getenv("HOME");
    if (home && *home)
        return join(buffer, size, home, "/.local/state/vrel/history");
    if (size)
        buffer[0] = 0;
    return 0;
}

bool sys_append_file(const char* path, const void* data, size_t size, uint64_t* size_after)
{
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return keep_errno(false);
    // One write call: O_APPEND places it whole at the end, whatever other writers do.
    ssize_t written = write(fd, data, size);
    struct stat info;
    bool done = written == static_cast<ssize_t>(size) && fstat(fd, &info) == 0;
    if (written >= 0 && written != static_cast<ssize_t>(size))
        errno = ENOSPC;
    int code = errno;
    close(fd);
    if (!done) {
        errno = code;
        return keep_errno(false);
    }
    *size_after = static_cast<uint64_t>(info.st_size);
    return true;
}

SysHandle sys_lock_file(const char* path)
{
    int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return keep_errno<SysHandle>(SYS_NO_HANDLE);
    while (flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            int code = errno;
            close(fd);
            errno = code;
            return keep_errno<SysHandle>(SYS_NO_HANDLE);
        }
    }
    return static_cast<SysHandle>(fd);
}

bool sys_replace_file(const char* from, const char* to)
{
    return rename(from, to) == 0 || keep_errno(false);
}

size_t sys_text_to_utf8(const char* text, char* out, size_t size)
{
    return join(out, size, text, "");
}

size_t sys_text_from_utf8(const char* text, char* out, size_t size)
{
    return join(out, size, text, "");
}

bool sys_modified_time(const char* path, int64_t* time)
{
    struct stat info;
    if (stat(path, &info) != 0)
        return keep_errno(false);
    *time = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return true;
}

// Only the names are read; the type comes with the directory entry, so a file costs the one
// check of its execute bit (a link or an unknown type one look more).
static bool is_program(int folder, const struct dirent* entry)
{
    if (entry->d_type == DT_DIR)
        return false;
    struct stat info;
    if (entry->d_type != DT_REG &&
        (fstatat(folder, entry->d_name, &info, 0) != 0 || S_ISDIR(info.st_mode)))
        return false;
    return faccessat(folder, entry->d_name, X_OK, 0) == 0;
}

bool sys_list_programs(const char* folder, bool (*visit)(const char* name, void* data), void* data)
{
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* directory = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!directory) {
        keep_error(errno);
        if (fd >= 0)
            close(fd);
        return false;
    }
    while (struct dirent* entry = readdir(directory))
        if (is_program(fd, entry) && !visit(entry->d_name, data))
            break;
    closedir(directory);
    return true;
}
