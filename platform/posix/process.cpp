// process.cpp: start and end of the process, the command line, error codes and signals.
#include "platform/platform.h"
#include "posix_layer.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/auxv.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

static std::string command_line;
static char** arguments = nullptr;
static std::vector<size_t> argument_starts; // where each argument begins in command_line
static std::string executable;
static uint32_t last_error = 0;

void keep_error(int code) { last_error = static_cast<uint32_t>(code); }

uint32_t sys_last_error() { return last_error; }

bool sys_path_too_long() { return last_error == static_cast<uint32_t>(ENAMETOOLONG); }

const char* own_executable() { return executable.empty() ? nullptr : executable.c_str(); }

// A signal that ends the shell first gives the terminal back its normal mode.
static void on_fatal_signal(int signal_number)
{
    restore_terminal_from_signal();
    remove_partial_copy_from_signal();
    // The handler was one-shot: the default action is back, and the signal raised here stays
    // blocked until the handler returns, then ends the process as it would have.
    raise(signal_number);
}

static void install(int signal_number, void (*handler)(int), int flags)
{
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_flags = flags | SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
}

static void install_fatal_unless_ignored(int signal_number)
{
    struct sigaction current = {};
    if (sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
        return;
    install(signal_number, on_fatal_signal, SA_RESETHAND);
}

static char** script_words = nullptr;

// For a script whose first line names the shell, the system runs "vrel [OPTION] SCRIPT ARGS",
// and the file it was asked to run is the script; the shell started by its own name is its own
// executable. Anything else (a symbolic link to the shell, say) is the shell itself.
static void find_script_words(int argc, char** argv)
{
    const char* started = reinterpret_cast<const char*>(getauxval(AT_EXECFN));
    char resolved[PATH_MAX];
    if (!started || executable.empty() || !realpath(started, resolved) || executable == resolved)
        return;
    for (int i = 1; i < argc && i <= 2; ++i)
        if (strcmp(argv[i], started) == 0) {
            script_words = argv + i;
            return;
        }
}

char** sys_script_words() { return script_words; }

static void at_process_exit()
{
    sys_flush_out();
    sys_restore_terminal();
}

static void remember_executable()
{
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length > 0)
        executable.assign(path, static_cast<size_t>(length));
}

void sys_init(int argc, char** argv)
{
    command_line.clear();
    argument_starts.clear();
    arguments = argv;
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            command_line += ' ';
        argument_starts.push_back(command_line.size());
        // The name is read back by the command-line rules: one that holds a blank is quoted.
        bool quoted = i == 0 && strpbrk(argv[0], " \t") && !strchr(argv[0], '"');
        command_line += quoted ? '"' + std::string(argv[i]) + '"' : std::string(argv[i]);
    }
    remember_executable();
    find_script_words(argc, argv);
    take_over_environment();
    // A reader that goes away must not kill the shell; its children get the default back.
    signal(SIGPIPE, SIG_IGN);
    for (int signal_number : {SIGHUP, SIGINT, SIGTERM, SIGQUIT})
        install_fatal_unless_ignored(signal_number);
    atexit(at_process_exit);
}

const char* sys_command_line() { return command_line.c_str(); }

char** sys_arguments_at(const char* position)
{
    // The name (0) is read back by the command-line rules, never as arguments.
    for (size_t i = 1; i < argument_starts.size(); ++i)
        if (position == command_line.c_str() + argument_starts[i])
            return arguments + i;
    return nullptr;
}

static void (*exit_hook)(uint32_t);

void sys_set_exit_hook(void (*hook)(uint32_t)) { exit_hook = hook; }

void sys_exit(uint32_t code)
{
    at_process_exit();
    if (exit_hook)
        exit_hook(code); // the fuzzers stay alive: the hook throws
    exit(static_cast<int>(code));
}

uint32_t sys_status_exit_code(int32_t status)
{
    int32_t kept = status < -128 ? -128 : status > 127 ? 127 : status;
    return static_cast<uint32_t>(kept) & 0xFF;
}

int32_t sys_exit_code_status(uint32_t code)
{
    return static_cast<int32_t>(static_cast<int8_t>(code & 0xFF));
}

static void (*interrupt_handlers[NSIG])(int);
volatile sig_atomic_t interrupt_signals = 0;
static volatile sig_atomic_t interrupt_echoed = 0;

// A Ctrl-C typed on a terminal that echoes control keys is on the screen as ^C already.
static bool terminal_echoed(int signal_number)
{
    struct termios mode;
    if (signal_number != SIGINT || tcgetattr(STDERR_FILENO, &mode) != 0)
        return false;
    tcflag_t echoing = ECHO | ECHOCTL | ISIG;
    return (mode.c_lflag & echoing) == echoing;
}

// Stays in force: a second Ctrl-C is one more interrupt, never the end of the shell.
static void on_interrupt_signal(int signal_number)
{
    int saved_errno = errno;
    interrupt_echoed = terminal_echoed(signal_number);
    interrupt_signals = interrupt_signals + 1;
    interrupt_handlers[signal_number](signal_number);
    errno = saved_errno;
}

bool sys_interrupt_echoed() { return interrupt_echoed != 0; }

void sys_on_interrupt(void (*handler)(int))
{
    for (int signal_number : {SIGINT, SIGTERM, SIGQUIT}) {
        interrupt_handlers[signal_number] = handler;
        install(signal_number, on_interrupt_signal, 0);
    }
}
