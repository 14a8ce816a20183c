// history_files.cpp: the history file's place, appends, the lock, and program folders.
#include "platform/platform.h"
#include "platform/win32/last_error.h"

#include <cstring>
#include <windows.h>

constexpr size_t PATHEXT_SIZE = 1024;
constexpr int TEXT_UNITS = 1024; // a history line is shorter

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
    char base[MAX_PATH];
    if (!sys_get_env("LOCALAPPDATA", base, sizeof base)) {
        if (size)
            buffer[0] = 0;
        return 0;
    }
    return join(buffer, size, base, "\\vrel\\history.txt");
}

// Every share mode: other shells append to the same file at the same time.
static HANDLE open_shared(const char* path, DWORD access)
{
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool sys_append_file(const char* path, const void* data, size_t size, uint64_t* size_after)
{
    // Append access alone: the system puts each write at the end, whatever other writers do.
    HANDLE file = open_shared(path, FILE_APPEND_DATA | SYNCHRONIZE | FILE_READ_ATTRIBUTES);
    if (file == INVALID_HANDLE_VALUE) {
        keep_path_error(path);
        return false;
    }
    DWORD written = 0;
    LARGE_INTEGER length;
    bool done = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) &&
                written == size && GetFileSizeEx(file, &length);
    if (!done)
        keep_last_error();
    CloseHandle(file);
    if (done)
        *size_after = static_cast<uint64_t>(length.QuadPart);
    return done;
}

SysHandle sys_lock_file(const char* path)
{
    HANDLE file = open_shared(path, GENERIC_READ | GENERIC_WRITE);
    if (file == INVALID_HANDLE_VALUE) {
        keep_path_error(path);
        return SYS_NO_HANDLE;
    }
    OVERLAPPED start{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &start)) {
        keep_last_error();
        CloseHandle(file);
        return SYS_NO_HANDLE;
    }
    return reinterpret_cast<SysHandle>(file);
}

bool sys_replace_file(const char* from, const char* to)
{
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING))
        return true;
    keep_path_error(from, to);
    return false;
}

// Text from one code page to another through UTF-16; a copy where both are the same.
static size_t convert(UINT from, UINT to, const char* text, char* out, size_t size)
{
    if (size)
        out[0] = 0;
    if (from == to)
        return join(out, size, text, "");
    wchar_t units[TEXT_UNITS];
    int count = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text, -1, units, TEXT_UNITS);
    int limit = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
    int length =
        count > 0 ? WideCharToMultiByte(to, 0, units, count, out, limit, nullptr, nullptr) : 0;
    if (length <= 0) {
        if (size)
            out[0] = 0;
        return 0;
    }
    return static_cast<size_t>(length - 1); // the count holds the terminator
}

size_t sys_text_to_utf8(const char* text, char* out, size_t size)
{
    return convert(GetACP(), CP_UTF8, text, out, size);
}

size_t sys_text_from_utf8(const char* text, char* out, size_t size)
{
    return convert(CP_UTF8, GetACP(), text, out, size);
}

bool sys_modified_time(const char* path, int64_t* time)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        keep_path_error(path);
        return false;
    }
    *time = static_cast<int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
            data.ftLastWriteTime.dwLowDateTime;
    return true;
}

// Whether the extension (with its dot) is one of list's, ';'-separated, in any case.
static bool listed_extension(const char* list, const char* extension)
{
    size_t length = std::strlen(extension);
    for (const char* p = list; *p;) {
        const char* end = std::strchr(p, ';');
        size_t item = end ? static_cast<size_t>(end - p) : std::strlen(p);
        if (item == length && _strnicmp(p, extension, length) == 0)
            return true;
        p += item + (end ? 1 : 0);
    }
    return false;
}

// The name a command line starts the entry with, into name; false when it is no program.
static bool program_name(const char* extensions, const FindData* entry, char* name, size_t size)
{
    if (entry->dwFileAttributes & ATTR_DIRECTORY)
        return false;
    const char* dot = std::strrchr(entry->cFileName, '.');
    if (!dot || dot == entry->cFileName || !listed_extension(extensions, dot))
        return false;
    if (!join(name, size, entry->cFileName, ""))
        return false;
    if (_stricmp(dot, ".exe") == 0)
        name[dot - entry->cFileName] = 0; // a program is typed without ".exe"
    return true;
}

// PATHEXT is read once per folder, not once per file.
bool sys_list_programs(const char* folder, bool (*visit)(const char* name, void* data), void* data)
{
    char extensions[PATHEXT_SIZE];
    if (!sys_get_env("PATHEXT", extensions, sizeof extensions))
        join(extensions, sizeof extensions, ".COM;.EXE;.BAT;.CMD", "");
    char pattern[1024];
    if (!join(pattern, sizeof pattern, folder, "\\*"))
        return false;
    FindData entry;
    SearchOwner search(sys_find_first(pattern, &entry));
    if (!search.search)
        return false;
    do {
        char name[sizeof entry.cFileName];
        if (program_name(extensions, &entry, name, sizeof name) && !visit(name, data))
            break;
    } while (sys_find_next(search.search, &entry));
    return true;
}
