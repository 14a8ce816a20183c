// programs.cpp: starting programs with chosen standard handles and waiting for them.
#include "platform/platform.h"
#include "platform/win32/last_error.h"

#include <cstring>
#include <windows.h>

// CreateProcessA takes a line of at most 32767 characters and may write into it.
constexpr size_t COMMAND_LINE_SIZE = 32768;

static bool programs_disabled;
static char command_line[COMMAND_LINE_SIZE];

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

// The attribute list lives in the caller's `storage`; false when the system has no room for it.
static bool limit_inheritance(STARTUPINFOEXA* info, ChildHandles* child, void* storage, SIZE_T size)
{
    auto* list = static_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage);
    if (child->count == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size))
        return false;
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, child->inherited,
                                   child->count * sizeof(HANDLE), nullptr, nullptr)) {
        DeleteProcThreadAttributeList(list);
        return false;
    }
    info->lpAttributeList = list;
    info->StartupInfo.cb = sizeof(STARTUPINFOEXA);
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

// The program to start for a line: this very executable for "vrel", so that a child shell is
// always the build that runs (vrel.exe or vrel-legacy.exe, never the other one beside it nor
// one found first on the search path); otherwise none, and the system finds the first word.
static const char* program_of(const char* line, char* path, DWORD size)
{
    if (!names_this_shell(line))
        return nullptr;
    DWORD length = GetModuleFileNameA(nullptr, path, size);
    return length > 0 && length < size ? path : nullptr;
}

static bool create_process(STARTUPINFOEXA* info, PROCESS_INFORMATION* process)
{
    DWORD flags = info->lpAttributeList ? EXTENDED_STARTUPINFO_PRESENT : 0;
    char own_path[MAX_PATH];
    const char* program = program_of(command_line, own_path, MAX_PATH);
    BOOL created = CreateProcessA(program, command_line, nullptr, nullptr, TRUE, flags, nullptr,
                                  nullptr, &info->StartupInfo, process);
    if (!created)
        keep_last_error();
    if (info->lpAttributeList)
        DeleteProcThreadAttributeList(info->lpAttributeList);
    return created != 0;
}

static bool copy_command_line(const char* line)
{
    size_t length = 0;
    for (; line[length]; ++length) {
        if (length + 1 >= COMMAND_LINE_SIZE) {
            keep_error(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        command_line[length] = line[length];
    }
    command_line[length] = 0;
    return true;
}

static uint32_t wait_for(PROCESS_INFORMATION* process, bool wait, uint32_t* exit_code)
{
    if (wait) {
        DWORD code = 0;
        WaitForSingleObject(process->hProcess, INFINITE);
        GetExitCodeProcess(process->hProcess, &code);
        if (exit_code)
            *exit_code = code;
    }
    CloseHandle(process->hThread);
    CloseHandle(process->hProcess);
    return 0;
}

// The shell's own start-up information with the child's standard handles put in.
static void fill_startup_info(STARTUPINFOEXA* info, const ChildHandles* child)
{
    GetStartupInfoA(&info->StartupInfo);
    info->StartupInfo.cb = sizeof(STARTUPINFOA);
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
    if (!copy_command_line(line))
        return sys_last_error();
    ChildHandles child;
    choose_handles(&child, input, output, error);
    STARTUPINFOEXA info;
    fill_startup_info(&info, &child);
    alignas(16) char attribute_storage[256];
    limit_inheritance(&info, &child, attribute_storage, sizeof(attribute_storage));
    PROCESS_INFORMATION process;
    if (!create_process(&info, &process))
        return sys_last_error();
    return wait_for(&process, wait, exit_code);
}
