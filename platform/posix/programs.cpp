// programs.cpp: starting programs with given standard streams and waiting for them.
//
// The command line is cut into the argument vector as a Windows program cuts it. A name
// holding '/' is a path, "vrel" is the running shell itself, and every other name is searched
// on PATH as execvp does. The shell itself gets the rest of the line as one argument, which it
// joins back to the very line, as a child shell on Windows reads its own command line. Children get
// the default action for the signals the shell handles or ignores, and the shell's own environment.
#include "platform/platform.h"
#include "posix_layer.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

static bool programs_disabled = false;
// Programs started without waiting; each is reaped once it has ended, so none lingers.
static std::vector<pid_t> unwaited;

void sys_disable_programs(bool disabled) { programs_disabled = disabled; }

bool sys_is_program(const char* path) { return access(path, X_OK) == 0; }

static void reap_ended_programs()
{
    for (size_t i = 0; i < unwaited.size();) {
        if (waitpid(unwaited[i], nullptr, WNOHANG) != 0) {
            unwaited[i] = unwaited.back();
            unwaited.pop_back();
        } else {
            ++i;
        }
    }
}

// Searches PATH as execvp does: an empty element is the current directory, and a file found
// that may not be run is remembered while the search goes on.
static int search_path(const std::string& name, std::string* path)
{
    const char* list = getenv("PATH");
    std::string directories = list ? list : "/bin:/usr/bin";
    bool denied = false;
    size_t start = 0;
    for (;;) {
        size_t colon = directories.find(':', start);
        std::string directory = directories.substr(start, colon - start);
        std::string candidate = (directory.empty() ? "." : directory) + "/" + name;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0) {
            if (S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0) {
                *path = candidate;
                return 0;
            }
            denied = true;
        } else if (errno == EACCES) {
            denied = true;
        }
        if (colon == std::string::npos)
            return denied ? EACCES : ENOENT;
        start = colon + 1;
    }
}

static bool is_own_executable(const std::string& path)
{
    struct stat program, own;
    return own_executable() && stat(path.c_str(), &program) == 0 &&
           stat(own_executable(), &own) == 0 && program.st_dev == own.st_dev &&
           program.st_ino == own.st_ino;
}

static int find_program(const std::string& name, std::string* path)
{
    if (name.empty())
        return ENOENT;
    if (name.find('/') != std::string::npos) {
        *path = name;
        return 0;
    }
    if (name == "vrel" && own_executable()) {
        *path = own_executable();
        return 0;
    }
    return search_path(name, path);
}

// What the child of one start needs; it shares the shell's memory until it runs the program.
struct ChildStart {
    const char* path;
    char** argv;         // argv[-1] is free, for the system shell
    int streams[3];      // the descriptor for each standard stream, or -1 to keep the shell's
    bool hangup_ignored; // the shell was started with hang-ups ignored: its children too
    volatile int error;  // why the program could not be run, 0 while it could (set by the child)
};

// The descriptors made for a start, closed with it.
struct MovedStreams {
    int fds[3] = {-1, -1, -1};
    MovedStreams() = default;
    MovedStreams(const MovedStreams&) = delete;
    MovedStreams& operator=(const MovedStreams&) = delete;
    ~MovedStreams()
    {
        for (int fd : fds)
            if (fd >= 0)
                close(fd);
    }
};

// Chooses each stream's descriptor: 0, or why a handle could not be given a number of its own.
static int set_streams(ChildStart* start, MovedStreams* moved, const SysHandle handles[3])
{
    for (int stream = 0; stream < 3; ++stream) {
        int fd = static_cast<int>(handles[stream]);
        start->streams[stream] = -1;
        if (handles[stream] == SYS_NO_HANDLE)
            continue;
        // A handle that is itself a standard descriptor could be overwritten by an earlier
        // dup2, and dup2 onto itself would keep close-on-exec: give it a number of its own.
        if (fd < 3) {
            moved->fds[stream] = fcntl(fd, F_DUPFD_CLOEXEC, 3);
            fd = moved->fds[stream];
            if (fd < 0)
                return errno; // the child would write to the shell's own stream instead
        }
        start->streams[stream] = fd;
    }
    return 0;
}

// The child after vfork: only system calls, on the shell's memory, and never a return. The
// signals the shell catches or ignores get their default action before any is let through,
// so no handler of the shell ever runs in the child.
[[noreturn]] static void run_child(ChildStart* start)
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    for (int signal_number : {SIGPIPE, SIGINT, SIGTERM, SIGQUIT, SIGHUP})
        if (signal_number != SIGHUP || !start->hangup_ignored)
            sigaction(signal_number, &action, nullptr);
    sigset_t empty;
    sigemptyset(&empty);
    sigprocmask(SIG_SETMASK, &empty, nullptr);
    for (int stream = 0; stream < 3; ++stream) {
        if (start->streams[stream] >= 0 && dup2(start->streams[stream], stream) < 0) {
            start->error = errno;
            _exit(127);
        }
    }
    execve(start->path, start->argv, environ);
    if (errno == ENOEXEC) {
        // A text file without "#!" is a script for the system shell, as execvp treats it.
        static char shell[] = "/bin/sh";
        start->argv[-1] = shell;
        start->argv[0] = const_cast<char*>(start->path);
        execve(shell, start->argv - 1, environ);
    }
    start->error = errno;
    _exit(127);
}

// Starts path with the words as its arguments: 0 with *pid set, or why it could not be run.
// vfork shares the shell's memory and stops the shell until the child has run the program, so
// a start costs no copy of the shell and the child reports a failure straight back.
static int spawn(pid_t* pid, const std::string& path, std::vector<std::string>& words,
                 ChildStart* start)
{
    std::vector<char*> argv(1, nullptr);
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    start->path = path.c_str();
    start->argv = argv.data() + 1;
    start->error = 0;
    struct sigaction hangup = {};
    start->hangup_ignored =
        sigaction(SIGHUP, nullptr, &hangup) == 0 && hangup.sa_handler == SIG_IGN;
    sigset_t all, old;
    sigfillset(&all);
    sigprocmask(SIG_SETMASK, &all, &old);
    pid_t child = vfork();
    if (child == 0)
        run_child(start);
    int error = child < 0 ? errno : start->error;
    sigprocmask(SIG_SETMASK, &old, nullptr);
    if (child > 0 && error) {
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    *pid = child;
    return error;
}

static uint32_t exit_code_of(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return 0;
    if (WIFSIGNALED(status))
        return 128 + static_cast<uint32_t>(WTERMSIG(status));
    return static_cast<uint32_t>(WEXITSTATUS(status));
}

static uint32_t start_failed(int code)
{
    keep_error(code);
    return static_cast<uint32_t>(code);
}

uint32_t sys_start_program(const char* line, SysHandle input, SysHandle output, SysHandle error,
                           bool wait, uint32_t* exit_code)
{
    reap_ended_programs();
    std::vector<std::string> words = split_command_line(line);
    if (programs_disabled)
        return start_failed(ENOENT);
    std::string path;
    if (int code = find_program(words[0], &path))
        return start_failed(code);
    if (is_own_executable(path)) {
        words.resize(1);
        if (*command_line_arguments(line))
            words.emplace_back(command_line_arguments(line));
    }
    sys_flush_out();
    sys_restore_terminal();
    take_over_environment();
    ChildStart start;
    MovedStreams moved;
    const SysHandle handles[3] = {input, output, error};
    if (int code = set_streams(&start, &moved, handles))
        return start_failed(code);
    pid_t pid = 0;
    if (int code = spawn(&pid, path, words, &start))
        return start_failed(code);
    if (!wait)
        unwaited.push_back(pid);
    else if (exit_code)
        *exit_code = exit_code_of(pid);
    else
        exit_code_of(pid);
    return 0;
}
