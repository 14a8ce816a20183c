// launcher.cpp: vrel_launch.exe, which starts vrel.exe with an exact command line (tests).
//
// Run as `vrel_launch PATH-OF-VREL.EXE` with the environment variable VREL_LAUNCH_LINE holding
// the command line tail. The shell is started as "vrel TAIL" (or VREL_LAUNCH_NAME TAIL) with the
// launcher's standard handles, the variable is removed first so the shell never sees it, and the
// launcher ends with the shell's exit code. A Windows console hands a program its command line as
// typed; the launcher does the same where the test driver cannot. The line goes over in Unicode, as
// from a console, so the shell reads it in its own ANSI code page whatever the launcher's is.
// When VREL_LAUNCH_REPORT names a file (also removed before the shell starts), the shell's
// exit code is written there once it has ended: a run that leaves no such file never got as
// far as the shell, whatever Wine made its exit code.
#include <windows.h>

constexpr DWORD LINE_SIZE = 32768;

static wchar_t tail[LINE_SIZE];
static wchar_t report[MAX_PATH];
static wchar_t command_line[LINE_SIZE + MAX_PATH];

static void fail(const char* text)
{
    DWORD written;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, lstrlenA(text), &written, nullptr);
    ExitProcess(125);
}

static void build_command_line()
{
    DWORD length = GetEnvironmentVariableW(L"VREL_LAUNCH_LINE", tail, LINE_SIZE);
    if (length >= LINE_SIZE)
        fail("vrel_launch: VREL_LAUNCH_LINE is too long\r\n");
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
        fail("vrel_launch: VREL_LAUNCH_LINE is not set\r\n");
    SetEnvironmentVariableW(L"VREL_LAUNCH_LINE", nullptr);
    if (GetEnvironmentVariableW(L"VREL_LAUNCH_REPORT", report, MAX_PATH) >= MAX_PATH)
        fail("vrel_launch: VREL_LAUNCH_REPORT is too long\r\n");
    SetEnvironmentVariableW(L"VREL_LAUNCH_REPORT", nullptr);
    // VREL_LAUNCH_NAME, when set, is the shell's own name at the head of the line, as typed.
    if (GetEnvironmentVariableW(L"VREL_LAUNCH_NAME", command_line, MAX_PATH) >= MAX_PATH)
        fail("vrel_launch: VREL_LAUNCH_NAME is too long\r\n");
    SetEnvironmentVariableW(L"VREL_LAUNCH_NAME", nullptr);
    if (!command_line[0])
        lstrcpyW(command_line, L"vrel");
    if (length > 0) {
        lstrcatW(command_line, L" ");
        lstrcatW(command_line, tail);
    }
}

static void write_report(DWORD code)
{
    if (!report[0])
        return;
    HANDLE file = CreateFileW(report, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        fail("vrel_launch: the report could not be written\r\n");
    char text[16];
    DWORD written;
    WriteFile(file, text, wsprintfA(text, "%lu", code), &written, nullptr);
    CloseHandle(file);
}

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2)
        fail("usage: vrel_launch PATH-OF-VREL.EXE (command line tail in VREL_LAUNCH_LINE)\r\n");
    build_command_line();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process;
    if (!CreateProcessW(argv[1], command_line, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        fail("vrel_launch: the shell could not be started\r\n");
    DWORD code = 0;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    write_report(code);
    ExitProcess(code);
}
