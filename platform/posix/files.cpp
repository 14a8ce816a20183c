// files.cpp: opening files with no sharing, reading and writing handles, pipes, and the simple
// operations on paths.
//
// "No sharing" is an exclusive, non-blocking flock on a regular file, taken before an output
// file is emptied: a file that the shell or a child shell already holds cannot be opened again
// and is left as it was. Devices, pipes and sockets are not locked, so </dev/null works in any
// number of commands at once. Every descriptor is close-on-exec; a child gets its standard
// streams through the file actions of its start.
#include "platform/platform.h"
#include "posix_layer.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

bool write_all(int fd, const void* data, size_t size)
{
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = write(fd, next, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        next += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

static SysHandle fail_and_close(int fd, int code)
{
    close(fd);
    keep_error(code);
    return SYS_NO_HANDLE;
}

// Opens `name` and takes the lock when it is a regular file; directories are refused.
static SysHandle open_unshared(const char* name, int flags, struct stat* info)
{
    int fd = open(name, flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        keep_error(errno);
        return SYS_NO_HANDLE;
    }
    if (fstat(fd, info) != 0)
        return fail_and_close(fd, errno);
    if (S_ISDIR(info->st_mode))
        return fail_and_close(fd, EISDIR);
    if (S_ISREG(info->st_mode) && flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail_and_close(fd, errno);
    return fd;
}

SysHandle sys_open_input(const char* name, bool)
{
    struct stat info;
    return open_unshared(name, O_RDONLY, &info);
}

SysHandle sys_open_output(const char* name, bool append)
{
    struct stat info;
    // A read-only file is not written, whoever asks (root too), as on Windows.
    if (stat(name, &info) == 0 && S_ISREG(info.st_mode) && !(info.st_mode & S_IWUSR)) {
        keep_error(EACCES);
        return SYS_NO_HANDLE;
    }
    // Without O_TRUNC: a file held by someone else must be left as it was.
    SysHandle fd = open_unshared(name, O_WRONLY | O_CREAT | (append ? O_APPEND : 0), &info);
    if (fd == SYS_NO_HANDLE || append || !S_ISREG(info.st_mode))
        return fd;
    if (ftruncate(static_cast<int>(fd), 0) != 0)
        return fail_and_close(static_cast<int>(fd), errno);
    return fd;
}

bool sys_is_open_file(SysHandle handle, const char* name)
{
    struct stat open_file, named;
    return fstat(static_cast<int>(handle), &open_file) == 0 && stat(name, &named) == 0 &&
           open_file.st_dev == named.st_dev && open_file.st_ino == named.st_ino;
}

int64_t sys_read(SysHandle handle, void* buffer, size_t size)
{
    for (;;) {
        ssize_t count = read(static_cast<int>(handle), buffer, size);
        if (count >= 0)
            return count;
        if (errno != EINTR) {
            keep_error(errno);
            return -1;
        }
    }
}

bool sys_write(SysHandle handle, const void* data, size_t size)
{
    if (write_all(static_cast<int>(handle), data, size))
        return true;
    keep_error(errno);
    return false;
}

void sys_close(SysHandle handle)
{
    if (handle != SYS_NO_HANDLE)
        close(static_cast<int>(handle));
}

uint32_t sys_make_pipe(SysHandle* read_end, SysHandle* write_end)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        keep_error(errno);
        return static_cast<uint32_t>(errno);
    }
    *read_end = ends[0];
    *write_end = ends[1];
    return 0;
}

static bool succeeded(int result)
{
    if (result == 0)
        return true;
    keep_error(errno);
    return false;
}

// A read-only file stays, as on Windows, though its folder would let it go.
bool sys_delete_file(const char* path)
{
    struct stat info;
    if (lstat(path, &info) == 0 && !S_ISLNK(info.st_mode) && !(info.st_mode & S_IWUSR)) {
        keep_error(EACCES);
        return false;
    }
    return succeeded(unlink(path));
}

// A link that leads to a directory goes as the link, as a Windows directory link does.
bool sys_remove_directory(const char* path)
{
    struct stat info, target;
    if (lstat(path, &info) == 0 && S_ISLNK(info.st_mode) && stat(path, &target) == 0 &&
        S_ISDIR(target.st_mode))
        return succeeded(unlink(path));
    return succeeded(rmdir(path));
}

bool sys_make_directory(const char* path) { return succeeded(mkdir(path, 0777)); }

// The folder the shell was last seen in. A folder removed under the shell has no path any
// more; the shell goes on showing the last one, and what needs the folder fails on its own.
static std::string last_directory;

bool sys_set_current_directory(const char* path)
{
    if (chdir(path) != 0)
        return succeeded(-1);
    char buffer[PATH_MAX];
    last_directory = getcwd(buffer, sizeof buffer) ? buffer : "";
    return true;
}

size_t sys_get_current_directory(char* buffer, size_t size)
{
    if (size == 0)
        return 0;
    if (getcwd(buffer, size)) {
        last_directory = buffer;
        return strlen(buffer);
    }
    keep_error(errno);
    buffer[0] = 0;
    if (errno != ENOENT || last_directory.empty() || last_directory.size() >= size)
        return 0;
    memcpy(buffer, last_directory.c_str(), last_directory.size() + 1);
    return last_directory.size();
}

void sys_local_time(int64_t file_time, LocalTime* out)
{
    time_t seconds = static_cast<time_t>(file_time);
    struct tm parts = {};
    localtime_r(&seconds, &parts);
    *out = LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                     parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}
