// environment.cpp: the process environment, where every shell variable lives.
#include "platform/platform.h"
#include "platform/win32/last_error.h"

#include <windows.h>

// A value holds at most 32767 UTF-16 units, and a name that long has no value.
constexpr int ENV_UNITS = 32768;

static wchar_t wide_name[ENV_UNITS];
static wchar_t wide_value[ENV_UNITS];

// The value is read in UTF-16 and converted here: Wine's GetEnvironmentVariableA counts a
// value of multi-byte characters in UTF-16 units and cuts its bytes there.
size_t sys_get_env(const char* name, char* buffer, size_t size)
{
    if (size == 0)
        return 0;
    buffer[0] = 0; // one byte holds no value, and converting into none would ask the length
    if (size < 2 || MultiByteToWideChar(CP_ACP, 0, name, -1, wide_name, ENV_UNITS) == 0)
        return 0;
    DWORD units = GetEnvironmentVariableW(wide_name, wide_value, ENV_UNITS);
    if (units == 0 || units >= ENV_UNITS)
        return 0;
    int limit = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
    // Too small a buffer makes the conversion fail: the value does not fit.
    int length = WideCharToMultiByte(CP_ACP, 0, wide_value, static_cast<int>(units), buffer,
                                     limit - 1, nullptr, nullptr);
    buffer[length > 0 ? length : 0] = 0;
    return length > 0 ? static_cast<size_t>(length) : 0;
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
