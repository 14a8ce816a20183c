// programs.cpp: starting programs with chosen standard handles and waiting for them.
//
// Programs are started by their Unicode names: the line, in the shell's code page, is turned
// into UTF-16 as the system would, and the running shell's own path is asked for in UTF-16,
// so that a child shell starts from a folder whose name the code page cannot hold.
#include "platform/platform.h"
#include "platform/win32/last_error.h"
#include "program_line.h"

#include <cstring>
#include <windows.h>

static bool programs_disabled;

void sys_disable_programs(bool disabled) { programs_disabled = disabled; }

// Whether the name ends in the extension (".bat"), letters in any case.
static bool has_extension(const char* path, const char* extension)
{
    size_t length = std::strlen(path);
    size_t wanted = std::strlen(extension);
    return length >= wanted && _stricmp(path + length - wanted, extension) == 0;
}

bool sys_is_program(const char* path)
{
    // The system starts a batch file through its command interpreter.
    DWORD type;
    return GetBinaryTypeA(path, &type) || has_extension(path, ".bat") ||
           has_extension(path, ".cmd");
}

struct ChildHandles {
    HANDLE standard[3];
    HANDLE inherited[3]; // the distinct usable ones among them: all the child inherits
    DWORD count;
};

// A handle not given is the shell's own. Only the three standard handles are inherited, so a
// child never holds the far end of another command's pipe (which would keep that pipe open).
static void choose_handles(ChildHandles* child, SysHandle input, SysHandle output, SysHandle error)
{
    const SysHandle given[3] = {input, output, error};
    const DWORD own[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    child->count = 0;
    for (int i = 0; i < 3; ++i) {
        HANDLE handle =
            given[i] != SYS_NO_HANDLE ? reinterpret_cast<HANDLE>(given[i]) : GetStdHandle(own[i]);
        child->standard[i] = handle;
        bool listed = handle == nullptr || handle == INVALID_HANDLE_VALUE;
        for (DWORD k = 0; k < child->count; ++k)
            listed = listed || child->inherited[k] == handle;
        if (!listed && SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT))
            child->inherited[child->count++] = handle;
    }
}

// The attribute list lives in the caller's `storage`; false, with the system's error kept, when
// it cannot be made: the child would then inherit every inheritable handle of the shell.
static bool limit_inheritance(STARTUPINFOEXW* info, ChildHandles* child, void* storage, SIZE_T size)
{
    auto* list = static_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage);
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) {
        keep_last_error();
        return false;
    }
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, child->inherited,
                                   child->count * sizeof(HANDLE), nullptr, nullptr)) {
        keep_last_error();
        DeleteProcThreadAttributeList(list);
        return false;
    }
    info->lpAttributeList = list;
    info->StartupInfo.cb = sizeof(STARTUPINFOEXW);
    return true;
}

static bool is_word_end(char c) { return c == 0 || c == ' ' || c == '\t'; }

// Whether the line starts the shell itself: its first word is "vrel" or "vrel.exe", in any case.
static bool names_this_shell(const char* line)
{
    const char name[] = "vrel.exe";
    size_t i = 0;
    for (; name[i] && (line[i] | 0x20) == name[i]; ++i) {
    }
    return (i == 4 || i == 8) && is_word_end(line[i]);
}

// What CreateProcessW is given: the program (empty: the system finds the line's first word)
// and the command line, which it may write into.
struct ProgramLine {
    wchar_t program[PROGRAM_LINE_SIZE];
    wchar_t line[PROGRAM_LINE_SIZE];
};

static bool widen(const char* text, wchar_t* out, int size)
{
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, out, size) > 0)
        return true;
    keep_error(GetLastError() == ERROR_INSUFFICIENT_BUFFER ? ERROR_FILENAME_EXCED_RANGE
                                                           : GetLastError());
    return false;
}

// "vrel" is this very executable, so that a child shell is always the build that runs
// (vrel.exe or vrel-legacy.exe, never the other one beside it nor one found first on the
// search path); a batch file runs through cmd.exe with its arguments made text.
static uint32_t choose_program(const char* text, ProgramLine* out)
{
    out->program[0] = 0;
    if (names_this_shell(text)) {
        DWORD length = GetModuleFileNameW(nullptr, out->program, PROGRAM_LINE_SIZE);
        if (length == 0 || length >= PROGRAM_LINE_SIZE)
            return keep_last_error();
    } else if (names_batch_file(text)) {
        // cmd.exe would report a missing file itself, as a program that ran and failed.
        if (!program_file_exists(text)) {
            keep_error(ERROR_FILE_NOT_FOUND);
            return ERROR_FILE_NOT_FOUND;
        }
        char batch_line[PROGRAM_LINE_SIZE];
        if (uint32_t code = make_batch_line(text, batch_line, sizeof batch_line)) {
            keep_error(code);
            return code;
        }
        UINT length = GetSystemDirectoryW(out->program, PROGRAM_LINE_SIZE - 16);
        if (length == 0 || length >= PROGRAM_LINE_SIZE - 16)
            return keep_last_error();
        lstrcatW(out->program, L"\\cmd.exe");
        return widen(batch_line, out->line, PROGRAM_LINE_SIZE) ? 0 : sys_last_error();
    }
    return widen(text, out->line, PROGRAM_LINE_SIZE) ? 0 : sys_last_error();
}

static bool create_process(ProgramLine* program, STARTUPINFOEXW* info, bool inherit,
                           PROCESS_INFORMATION* process)
{
    DWORD flags = info->lpAttributeList ? EXTENDED_STARTUPINFO_PRESENT : 0;
    const wchar_t* name = program->program[0] ? program->program : nullptr;
    BOOL created = CreateProcessW(name, program->line, nullptr, nullptr, inherit, flags, nullptr,
                                  nullptr, &info->StartupInfo, process);
    if (!created)
        keep_last_error();
    if (info->lpAttributeList)
        DeleteProcThreadAttributeList(info->lpAttributeList);
    return created != 0;
}

// A wait that failed is an error of its own: the program's exit code is not known.
static uint32_t wait_for(PROCESS_INFORMATION* process, bool wait, uint32_t* exit_code)
{
    uint32_t failure = 0;
    DWORD code = 0;
    if (wait && (WaitForSingleObject(process->hProcess, INFINITE) != WAIT_OBJECT_0 ||
                 !GetExitCodeProcess(process->hProcess, &code))) {
        failure = keep_last_error();
        if (failure == 0)
            keep_error(failure = ERROR_INVALID_HANDLE);
    } else if (wait && exit_code) {
        *exit_code = code;
    }
    CloseHandle(process->hThread);
    CloseHandle(process->hProcess);
    return failure;
}

// The shell's own start-up information with the child's standard handles put in.
static void fill_startup_info(STARTUPINFOEXW* info, const ChildHandles* child)
{
    GetStartupInfoW(&info->StartupInfo);
    info->StartupInfo.cb = sizeof(STARTUPINFOW);
    // The C library's table of inherited descriptors would override the handles set here.
    info->StartupInfo.cbReserved2 = 0;
    info->StartupInfo.lpReserved2 = nullptr;
    info->StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
    info->StartupInfo.hStdInput = child->standard[0];
    info->StartupInfo.hStdOutput = child->standard[1];
    info->StartupInfo.hStdError = child->standard[2];
    info->lpAttributeList = nullptr;
}

uint32_t sys_start_program(const char* line, SysHandle input, SysHandle output, SysHandle error,
                           bool wait, uint32_t* exit_code)
{
    sys_flush_out(); // what the shell wrote comes before what the program writes
    if (programs_disabled) {
        keep_error(ERROR_FILE_NOT_FOUND);
        return ERROR_FILE_NOT_FOUND;
    }
    static ProgramLine program; // 128 KiB: too much for the stack of nested lines
    if (uint32_t code = choose_program(line, &program))
        return code;
    ChildHandles child;
    choose_handles(&child, input, output, error);
    STARTUPINFOEXW info;
    fill_startup_info(&info, &child);
    // With no usable standard handle the child inherits nothing at all.
    alignas(16) char attribute_storage[256];
    bool inherit = child.count > 0;
    if (inherit && !limit_inheritance(&info, &child, attribute_storage, sizeof attribute_storage))
        return sys_last_error();
    PROCESS_INFORMATION process;
    if (!create_process(&program, &info, inherit, &process))
        return sys_last_error();
    return wait_for(&process, wait, exit_code);
}
