// system_info.cpp: the computer, user, system directories and version.
#include "platform/platform.h"
#include "platform/win32/last_error.h"

#include <windows.h>

static DWORD size_limit(size_t size)
{
    return size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(size);
}

static size_t text_length(const char* text)
{
    size_t length = 0;
    while (text[length])
        ++length;
    return length;
}

// A failed call leaves the buffer empty, never with stale text in it.
static size_t empty(char* buffer, size_t size)
{
    keep_last_error();
    if (size > 0)
        buffer[0] = 0;
    return 0;
}

size_t sys_host_name(char* buffer, size_t size)
{
    DWORD length = size_limit(size);
    if (size == 0 || !GetComputerNameA(buffer, &length))
        return empty(buffer, size);
    return text_length(buffer);
}

size_t sys_user_name(char* buffer, size_t size)
{
    DWORD length = size_limit(size);
    if (size == 0 || !GetUserNameA(buffer, &length))
        return empty(buffer, size);
    return text_length(buffer);
}

// Both directory calls give the size they would need, terminator included, when it does not
// fit, so a length of `limit` or more is a failure.
size_t sys_system_directory(char* buffer, size_t size)
{
    UINT limit = size_limit(size);
    UINT length = GetSystemDirectoryA(buffer, limit);
    if (length == 0 || length >= limit)
        return empty(buffer, size);
    return length;
}

size_t sys_windows_directory(char* buffer, size_t size)
{
    UINT limit = size_limit(size);
    UINT length = GetWindowsDirectoryA(buffer, limit);
    if (length == 0 || length >= limit)
        return empty(buffer, size);
    return length;
}

bool sys_version(SysVersion* out)
{
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record of the system is 148 bytes");
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = 148;
    *out = SysVersion{};
    if (!GetVersionExA(&version)) {
        keep_last_error();
        return false;
    }
    out->platform_id = version.dwPlatformId;
    out->major = version.dwMajorVersion;
    out->minor = version.dwMinorVersion;
    out->build = version.dwBuildNumber;
    static_assert(sizeof(out->service_pack) == sizeof(version.szCSDVersion));
    for (size_t i = 0; i < sizeof(out->service_pack); ++i)
        out->service_pack[i] = version.szCSDVersion[i];
    out->service_pack[sizeof(out->service_pack) - 1] = 0;
    return true;
}

void sys_code_page(SysCodePage* out)
{
    // The ANSI code page is the one every "A" function speaks: UTF-8 when the manifest of
    // vrel.exe asks for it, the system's own otherwise.
    *out = SysCodePage{};
    out->number = GetACP();
    CPINFO info;
    if (!GetCPInfo(CP_ACP, &info))
        return;
    static_assert(MAX_LEADBYTES == SYS_LEAD_RANGES_SIZE);
    for (int i = 0; i < SYS_LEAD_RANGES_SIZE; ++i)
        out->lead_ranges[i] = info.LeadByte[i];
}
