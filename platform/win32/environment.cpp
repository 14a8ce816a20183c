// environment.cpp: the process environment, where every shell variable lives.
#include "platform/platform.h"
#include "platform/win32/last_error.h"

#include <cstring>
#include <windows.h>

constexpr size_t ENV_CHARACTERS_MAX = 32767;

size_t sys_get_env(const char* name, char* buffer, size_t size)
{
    if (size == 0)
        return 0;
    DWORD limit = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(size);
    DWORD length = GetEnvironmentVariableA(name, buffer, limit);
    // A value that does not fit gives the size it would need, which is never below `limit`.
    if (length == 0 || length >= limit) {
        buffer[0] = 0;
        return 0;
    }
    return length;
}

size_t sys_env_length(const char* name)
{
    // Without a buffer the answer is the size the value needs with its terminator.
    char none[1];
    DWORD size = GetEnvironmentVariableA(name, none, 0);
    return size > 1 ? size - 1 : 0;
}

static bool valid_name(const char* name)
{
    if (!name[0])
        return false;
    for (const char* p = name; *p; ++p) {
        if (*p == '=')
            return false;
    }
    return true;
}

bool sys_set_env(const char* name, const char* value)
{
    if (!valid_name(name)) {
        keep_error(ERROR_INVALID_PARAMETER);
        return false;
    }
    // A variable holds 32767 characters with its terminator; Wine fails hard past that.
    if (value && std::strlen(value) > ENV_CHARACTERS_MAX - 1) {
        keep_error(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (SetEnvironmentVariableA(name, value))
        return true;
    // Removing a variable that is not there already leaves the environment as asked.
    if (!value && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
        return true;
    keep_last_error();
    return false;
}

void sys_for_each_env(void (*visit)(const char* entry, void* data), void* data)
{
    // The block is a copy, so the visitor may change variables while we walk it. Entries whose
    // name begins with '=' (the system's per-drive directories, "=C:=C:\work") are listed too.
    char* block = GetEnvironmentStrings();
    if (!block)
        return;
    for (const char* entry = block; *entry;) {
        visit(entry, data);
        while (*entry)
            ++entry;
        ++entry;
    }
    FreeEnvironmentStringsA(block);
}
