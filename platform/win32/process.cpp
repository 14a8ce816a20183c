// process.cpp: the start and end of the process, its error code and the interrupt signals.
#include "platform/platform.h"
#include "platform/win32/copy_stop.h"
#include "platform/win32/last_error.h"

#include <csignal>
#include <windows.h>

static uint32_t last_error;
static void (*interrupt_handler)(int);

// Windows keeps the home folder in USERPROFILE; ~, cd and the programs the shell starts all
// look for HOME, so without one they are given the profile folder.
static void default_home()
{
    static wchar_t profile[32768];
    if (GetEnvironmentVariableW(L"HOME", nullptr, 0) != 0)
        return;
    DWORD units = GetEnvironmentVariableW(L"USERPROFILE", profile, 32768);
    if (units > 0 && units < 32768)
        SetEnvironmentVariableW(L"HOME", profile);
}

void sys_init(int, char**)
{
    // The command line comes from GetCommandLineA, so the C library's argv is of no use.
    default_home();
    SetConsoleCtrlHandler(on_console_end, TRUE);
}

const char* sys_command_line() { return GetCommandLineA(); }

// Windows starts no program through the first line of a script.
char** sys_script_words() { return nullptr; }

char** sys_arguments_at(const char*) { return nullptr; }

static void (*exit_hook)(uint32_t);

void sys_set_exit_hook(void (*hook)(uint32_t)) { exit_hook = hook; }

[[noreturn]] void sys_exit(uint32_t code)
{
    sys_flush_out();
    if (exit_hook)
        exit_hook(code); // the fuzzers stay alive: the hook throws
    ExitProcess(code);
}

// An exit code holds the whole status.
uint32_t sys_status_exit_code(int32_t status) { return static_cast<uint32_t>(status); }

int32_t sys_exit_code_status(uint32_t code) { return static_cast<int32_t>(code); }

uint32_t keep_last_error()
{
    last_error = GetLastError();
    return last_error;
}

void keep_error(uint32_t code) { last_error = code; }

uint32_t sys_last_error() { return last_error; }

bool sys_path_too_long() { return last_error == ERROR_FILENAME_EXCED_RANGE; }

// Runs on the console's control thread. The C runtime puts the default action back before it
// calls a handler; putting this one back at once keeps a second Ctrl-C an interrupt.
static void on_signal(int number)
{
    std::signal(number, on_signal);
    if (interrupt_handler)
        interrupt_handler(number);
    // When the console closes the process ends as this returns: a copy must be gone first.
    stop_copy_and_wait();
}

bool sys_interrupt_echoed() { return false; } // the console shows no key for Ctrl-C

void sys_on_interrupt(void (*handler)(int))
{
    interrupt_handler = handler;
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    std::signal(SIGBREAK, on_signal);
}
