// files.cpp: files, pipes and handles; attributes, removal, copies and the current directory.
#include "platform/platform.h"
#include "platform/win32/last_error.h"

#include <cstring>
#include <windows.h>

// The ANSI calls take MAX_PATH bytes with the terminator. Past it they refuse the path as too
// long; a relative path whose full form passes it comes back as not found instead.
static bool full_path_too_long(const char* path)
{
    if (!path)
        return false;
    if (std::strlen(path) >= MAX_PATH)
        return true;
    char full[MAX_PATH];
    // Too small a buffer gives the size needed, terminator included.
    return GetFullPathNameA(path, MAX_PATH, full, nullptr) >= MAX_PATH;
}

uint32_t keep_path_error(const char* path, const char* other)
{
    uint32_t code = GetLastError();
    bool not_found =
        code == ERROR_PATH_NOT_FOUND || code == ERROR_FILE_NOT_FOUND || code == ERROR_INVALID_NAME;
    if (not_found && (full_path_too_long(path) || full_path_too_long(other)))
        code = ERROR_FILENAME_EXCED_RANGE;
    keep_error(code);
    return code;
}

static SysHandle handle_or_none(HANDLE handle, const char* path)
{
    if (handle == INVALID_HANDLE_VALUE) {
        keep_path_error(path);
        return SYS_NO_HANDLE;
    }
    return reinterpret_cast<SysHandle>(handle);
}

static HANDLE native(SysHandle handle) { return reinterpret_cast<HANDLE>(handle); }

// Share mode 0 everywhere: a file the shell or a child holds cannot be opened a second time.
SysHandle sys_open_input(const char* name, bool inheritable)
{
    SECURITY_ATTRIBUTES security{sizeof(security), nullptr, inheritable};
    return handle_or_none(CreateFileA(name, GENERIC_READ, 0, &security, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr),
                          name);
}

// Appending asks for every write access but that of writing in place: the system then puts
// each write at the end, wherever the file pointer stands, so no seek can fail first.
constexpr DWORD APPEND_ACCESS = FILE_GENERIC_WRITE & ~FILE_WRITE_DATA;

SysHandle sys_open_output(const char* name, bool append)
{
    SECURITY_ATTRIBUTES security{sizeof(security), nullptr, TRUE};
    return handle_or_none(CreateFileA(name, append ? APPEND_ACCESS : GENERIC_WRITE, 0, &security,
                                      append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr),
                          name);
}

// Asking for no access at all passes every share mode, so a file held unshared can be compared.
bool sys_is_open_file(SysHandle handle, const char* name)
{
    BY_HANDLE_FILE_INFORMATION open_file, named;
    HANDLE query = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (query == INVALID_HANDLE_VALUE)
        return false;
    bool same = GetFileInformationByHandle(native(handle), &open_file) &&
                GetFileInformationByHandle(query, &named) &&
                open_file.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
                open_file.nFileIndexHigh == named.nFileIndexHigh &&
                open_file.nFileIndexLow == named.nFileIndexLow;
    CloseHandle(query);
    return same;
}

int64_t sys_read(SysHandle handle, void* buffer, size_t size)
{
    DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD got = 0;
    if (ReadFile(native(handle), buffer, chunk, &got, nullptr))
        return got;
    // The writer of a pipe has gone: that is the end of the data, not a fault.
    if (GetLastError() == ERROR_BROKEN_PIPE)
        return 0;
    keep_last_error();
    return -1;
}

bool sys_write(SysHandle handle, const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD done = 0;
        if (!WriteFile(native(handle), bytes, chunk, &done, nullptr)) {
            keep_last_error();
            return false;
        }
        if (done == 0) { // a pipe without waiting that is full takes nothing: trying on never ends
            keep_error(ERROR_WRITE_FAULT);
            return false;
        }
        bytes += done;
        size -= done;
    }
    return true;
}

void sys_close(SysHandle handle)
{
    if (handle != SYS_NO_HANDLE)
        CloseHandle(native(handle));
}

uint32_t sys_make_pipe(SysHandle* read_end, SysHandle* write_end)
{
    SECURITY_ATTRIBUTES security{sizeof(security), nullptr, TRUE};
    HANDLE reader, writer;
    if (!CreatePipe(&reader, &writer, &security, 0))
        return keep_last_error();
    *read_end = reinterpret_cast<SysHandle>(reader);
    *write_end = reinterpret_cast<SysHandle>(writer);
    return 0;
}

static bool succeeded(BOOL result, const char* path, const char* other = nullptr)
{
    if (!result)
        keep_path_error(path, other);
    return result != 0;
}

uint32_t sys_get_attributes(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        keep_path_error(path);
    return attributes;
}

bool sys_set_attributes(const char* path, uint32_t attributes)
{
    return succeeded(SetFileAttributesA(path, attributes), path);
}

bool sys_delete_file(const char* path) { return succeeded(DeleteFileA(path), path); }

bool sys_remove_directory(const char* path) { return succeeded(RemoveDirectoryA(path), path); }

bool sys_make_directory(const char* path)
{
    return succeeded(CreateDirectoryA(path, nullptr), path);
}

bool sys_move(const char* from, const char* to)
{
    if (MoveFileA(from, to))
        return true;
    // A file going to another drive is copied and then removed; directories cannot be.
    if (GetLastError() == ERROR_NOT_SAME_DEVICE)
        return succeeded(MoveFileExA(from, to, MOVEFILE_COPY_ALLOWED), from, to);
    keep_path_error(from, to);
    return false;
}

bool sys_set_current_directory(const char* path)
{
    return succeeded(SetCurrentDirectoryA(path), path);
}

size_t sys_get_current_directory(char* buffer, size_t size)
{
    if (size == 0)
        return 0;
    DWORD limit = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(size);
    DWORD length = GetCurrentDirectoryA(limit, buffer);
    // Too small a buffer gives the size needed, terminator included, so never below `limit`.
    if (length == 0 || length >= limit) {
        if (length == 0)
            keep_last_error();
        buffer[0] = 0;
        return 0;
    }
    return length;
}
