// programs.cpp: starting programs with given standard streams and waiting for them.
//
// The command line is split at blanks and tabs into the argument vector, without quote
// processing. A name holding '/' is a path, "vrel" is the running shell itself, and every
// other name is searched on PATH as execvp does. Children get the default action for the
// signals the shell handles or ignores, and the shell's own environment.
#include "platform/platform.h"
#include "posix_layer.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

static bool programs_disabled = false;
// Programs started without waiting; each is reaped once it has ended, so none lingers.
static std::vector<pid_t> unwaited;

void sys_disable_programs(bool disabled) { programs_disabled = disabled; }

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

static std::vector<std::string> split_line(const char* line)
{
    std::vector<std::string> words;
    for (const char* at = line; *at;) {
        size_t blank = strcspn(at, " \t");
        if (blank > 0)
            words.emplace_back(at, blank);
        at += blank;
        at += strspn(at, " \t");
    }
    return words;
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

static int find_program(const std::string& name, std::string* path)
{
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

// The file actions and attributes of one start, destroyed with it.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    int moved[3] = {-1, -1, -1};
    SpawnSetup()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        for (int fd : moved)
            if (fd >= 0)
                close(fd);
    }
};

static void set_streams(SpawnSetup* setup, const SysHandle handles[3])
{
    for (int stream = 0; stream < 3; ++stream) {
        int fd = static_cast<int>(handles[stream]);
        if (handles[stream] == SYS_NO_HANDLE)
            continue;
        // A handle that is itself a standard descriptor could be overwritten by an earlier
        // dup2, and dup2 onto itself would keep close-on-exec: give it a number of its own.
        if (fd < 3) {
            setup->moved[stream] = fcntl(fd, F_DUPFD_CLOEXEC, 3);
            fd = setup->moved[stream];
        }
        posix_spawn_file_actions_adddup2(&setup->actions, fd, stream);
    }
}

static void set_signals(SpawnSetup* setup)
{
    sigset_t defaults, empty;
    sigemptyset(&defaults);
    for (int signal_number : {SIGPIPE, SIGINT, SIGTERM, SIGQUIT})
        sigaddset(&defaults, signal_number);
    sigemptyset(&empty);
    posix_spawnattr_setsigdefault(&setup->attributes, &defaults);
    posix_spawnattr_setsigmask(&setup->attributes, &empty);
    posix_spawnattr_setflags(&setup->attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
}

static int spawn(pid_t* pid, const std::string& path, std::vector<std::string>& words,
                 SpawnSetup* setup)
{
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int result =
        posix_spawn(pid, path.c_str(), &setup->actions, &setup->attributes, argv.data(), environ);
    if (result != ENOEXEC)
        return result;
    // A text file without "#!" is a script for the system shell, as execvp treats it.
    std::string shell = "/bin/sh", script = path;
    argv[0] = script.data();
    argv.insert(argv.begin(), shell.data());
    return posix_spawn(pid, shell.c_str(), &setup->actions, &setup->attributes, argv.data(),
                       environ);
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
    std::vector<std::string> words = split_line(line);
    if (programs_disabled || words.empty())
        return start_failed(ENOENT);
    std::string path;
    if (int code = find_program(words[0], &path))
        return start_failed(code);
    sys_flush_out();
    sys_restore_terminal();
    take_over_environment();
    SpawnSetup setup;
    const SysHandle handles[3] = {input, output, error};
    set_streams(&setup, handles);
    set_signals(&setup);
    pid_t pid = 0;
    if (int code = spawn(&pid, path, words, &setup))
        return start_failed(code);
    if (!wait)
        unwaited.push_back(pid);
    else if (exit_code)
        *exit_code = exit_code_of(pid);
    else
        exit_code_of(pid);
    return 0;
}
