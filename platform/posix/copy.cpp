// copy.cpp: copying files and moving them, across file systems too.
//
// A copy is written to a fresh file beside the destination and renamed over it only when it is
// complete, so a failure half way leaves both the source and the old destination as they were,
// and copying a file onto itself can never empty it. A move never replaces an existing
// destination, as on Windows: `mv *.txt all.txt` must not leave only the last file.
#include "platform/platform.h"
#include "posix_layer.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

// Also the step at which a copy notices an interrupt: a few milliseconds of work.
constexpr size_t COPY_BUFFER_SIZE = 65536;

// The hidden file of the copy under way, so that a hang-up ends the shell without leaving it.
static char partial_name[PATH_MAX];
static volatile sig_atomic_t partial_kept = 0;

void remove_partial_copy_from_signal()
{
    if (partial_kept)
        unlink(partial_name);
}

static void keep_partial(const char* name)
{
    size_t length = strlen(name);
    if (length >= sizeof partial_name)
        return;
    memcpy(partial_name, name, length + 1);
    partial_kept = 1;
}

// Makes the hidden file and notes its name with the signals that end the shell held off, so
// that no hang-up comes between the two and leaves the file behind.
static int make_partial(char* name)
{
    sigset_t ending, before;
    sigemptyset(&ending);
    for (int signal_number : {SIGHUP, SIGINT, SIGTERM, SIGQUIT})
        sigaddset(&ending, signal_number);
    sigprocmask(SIG_BLOCK, &ending, &before);
    int fd = mkostemp(name, O_CLOEXEC);
    int code = errno;
    if (fd >= 0)
        keep_partial(name);
    sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = code;
    return fd;
}

// Closes the descriptors of one copy, however it ends.
struct CopyFiles {
    int source = -1, held_target = -1, temporary = -1;
    bool device_target = false; // an existing device or pipe is written, never replaced
    std::string temporary_name;
    ~CopyFiles()
    {
        for (int fd : {source, held_target, temporary})
            if (fd >= 0)
                close(fd);
        if (!temporary_name.empty())
            unlink(temporary_name.c_str());
        partial_kept = 0;
    }
};

static bool fail(int code)
{
    keep_error(code);
    return false;
}

// A link as destination is written through to the file it names, as a user expects.
static std::string resolve_target(const char* to)
{
    struct stat info;
    char real[PATH_MAX];
    if (lstat(to, &info) == 0 && S_ISLNK(info.st_mode) && realpath(to, real))
        return real;
    return to;
}

static std::string directory_of(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Checks an existing destination and holds its lock until the new contents replace it.
static bool hold_target(const std::string& target, const struct stat* source, CopyFiles* files)
{
    struct stat info;
    if (stat(target.c_str(), &info) != 0)
        return errno == ENOENT || fail(errno);
    if (S_ISDIR(info.st_mode))
        return fail(EISDIR);
    if (!S_ISREG(info.st_mode)) {
        files->device_target = true;
        return true;
    }
    if (info.st_dev == source->st_dev && info.st_ino == source->st_ino)
        return fail(EINVAL);
    if (!(info.st_mode & S_IWUSR)) // a read-only destination is not replaced
        return fail(EACCES);
    files->held_target = open(target.c_str(), O_RDONLY | O_CLOEXEC);
    if (files->held_target < 0)
        return fail(errno);
    return flock(files->held_target, LOCK_EX | LOCK_NB) == 0 || fail(errno);
}

// Stops at an interrupt taken since `signals` was read, as a failure of its own.
static bool copy_contents(int from, int to, sig_atomic_t signals)
{
    static char buffer[COPY_BUFFER_SIZE];
    for (;;) {
        if (interrupt_signals != signals)
            return fail(EINTR);
        ssize_t count = read(from, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return fail(errno);
        if (count == 0)
            return true;
        if (!write_all(to, buffer, static_cast<size_t>(count)))
            return fail(errno);
    }
}

static bool copy_into_device(const std::string& target, CopyFiles* files, sig_atomic_t signals)
{
    files->temporary = open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (files->temporary < 0)
        return fail(errno);
    return copy_contents(files->source, files->temporary, signals);
}

static void copy_stored_attributes(int from, int to)
{
    char value[64];
    ssize_t length = fgetxattr(from, "user.DOSATTRIB", value, sizeof value);
    if (length > 0)
        fsetxattr(to, "user.DOSATTRIB", value, static_cast<size_t>(length), 0);
}

// The copy keeps the source's last-write time, as a Windows copy does; a move keeps its last
// access too, since it is still the same file.
static bool finish_copy(const struct stat* source, bool moving, CopyFiles* files)
{
    copy_stored_attributes(files->source, files->temporary);
    if (fchmod(files->temporary, source->st_mode & 0777) != 0)
        return fail(errno);
    struct timespec times[2] = {source->st_atim, source->st_mtim};
    if (!moving)
        times[0].tv_nsec = UTIME_NOW;
    if (futimens(files->temporary, times) != 0)
        return fail(errno);
    int fd = files->temporary;
    files->temporary = -1;
    return close(fd) == 0 || fail(errno);
}

static bool open_source(const char* from, struct stat* info, CopyFiles* files)
{
    files->source = open(from, O_RDONLY | O_CLOEXEC);
    if (files->source < 0 || fstat(files->source, info) != 0)
        return fail(errno);
    if (S_ISDIR(info->st_mode))
        return fail(EISDIR);
    if (!S_ISREG(info->st_mode))
        return fail(EINVAL);
    // A file that the shell or a child holds for writing is not read behind its back.
    return flock(files->source, LOCK_SH | LOCK_NB) == 0 || fail(errno);
}

// Renames without ever replacing `to`: atomically where the file system can, else by a second
// name and the removal of the first (a link fails when `to` exists).
static bool rename_new(const char* from, const char* to)
{
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return fail(errno);
    if (link(from, to) == 0)
        return unlink(from) == 0 || fail(errno);
    if (errno == EEXIST)
        return fail(errno);
    // A directory cannot be linked, nor a file on some file systems: look first, then rename.
    struct stat info;
    if (lstat(to, &info) == 0)
        return fail(EEXIST);
    return rename(from, to) == 0 || fail(errno);
}

bool copy_file(const char* from, const char* to, bool moving)
{
    sig_atomic_t signals = interrupt_signals;
    CopyFiles files;
    struct stat source;
    if (!open_source(from, &source, &files))
        return false;
    std::string target = moving ? std::string(to) : resolve_target(to);
    struct stat existing;
    if (moving && lstat(to, &existing) == 0)
        return fail(EEXIST);
    if (!moving && !hold_target(target, &source, &files))
        return false;
    if (files.device_target)
        return copy_into_device(target, &files, signals);
    std::string name = directory_of(target) + "/.vrel-copy-XXXXXX";
    files.temporary = make_partial(name.data());
    if (files.temporary < 0)
        return fail(errno);
    files.temporary_name = name;
    if (!copy_contents(files.source, files.temporary, signals) ||
        !finish_copy(&source, moving, &files))
        return false;
    // A moved file's copy appears under its name only if nothing has taken the name meanwhile.
    bool placed = moving ? rename_new(name.c_str(), target.c_str())
                         : rename(name.c_str(), target.c_str()) == 0 || fail(errno);
    if (!placed)
        return false;
    files.temporary_name.clear();
    return true;
}

bool sys_copy(const char* from, const char* to) { return copy_file(from, to, false); }

bool sys_move(const char* from, const char* to)
{
    if (rename_new(from, to))
        return true;
    if (sys_last_error() != static_cast<uint32_t>(EXDEV))
        return false;
    // Across file systems a file is copied, and the source goes only once the copy is whole.
    struct stat info;
    if (lstat(from, &info) != 0)
        return fail(errno);
    if (!S_ISREG(info.st_mode))
        return fail(EXDEV);
    if (!copy_file(from, to, true))
        return false;
    return unlink(from) == 0 || fail(errno);
}
