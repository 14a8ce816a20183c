// system_info.cpp: host and user names, the system directories and the system version.
#include "platform/platform.h"
#include "posix_layer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

// Version facts take the form of the Windows NT family, the one the console shell knows.
constexpr uint32_t SYS_PLATFORM_NT = 2;

static size_t copy_fact(const char* text, char* buffer, size_t size)
{
    if (size == 0)
        return 0;
    size_t length = text ? strlen(text) : 0;
    if (!text || length + 1 > size) {
        buffer[0] = 0;
        return 0;
    }
    memcpy(buffer, text, length + 1);
    return length;
}

size_t sys_host_name(char* buffer, size_t size)
{
    char name[256];
    if (gethostname(name, sizeof name) != 0) {
        keep_error(errno);
        return copy_fact(nullptr, buffer, size);
    }
    name[sizeof name - 1] = 0;
    return copy_fact(name, buffer, size);
}

size_t sys_user_name(char* buffer, size_t size)
{
    struct passwd entry;
    struct passwd* found = nullptr;
    char strings[4096];
    getpwuid_r(geteuid(), &entry, strings, sizeof strings, &found);
    return copy_fact(found ? found->pw_name : nullptr, buffer, size);
}

size_t sys_system_directory(char* buffer, size_t size)
{
    return copy_fact("/usr/bin", buffer, size);
}

size_t sys_windows_directory(char* buffer, size_t size) { return copy_fact("/", buffer, size); }

// "6.1.0-18-amd64" gives 6, 1 and 0; missing numbers are 0.
static void read_release(const char* release, SysVersion* out)
{
    uint32_t* numbers[3] = {&out->major, &out->minor, &out->build};
    const char* at = release;
    for (uint32_t* number : numbers) {
        char* end = nullptr;
        *number = static_cast<uint32_t>(strtoul(at, &end, 10));
        if (*end != '.')
            break;
        at = end + 1;
    }
}

bool sys_version(SysVersion* out)
{
    struct utsname names;
    if (uname(&names) != 0) {
        keep_error(errno);
        return false;
    }
    *out = SysVersion{};
    out->platform_id = SYS_PLATFORM_NT;
    read_release(names.release, out);
    snprintf(out->service_pack, sizeof out->service_pack, "%s", names.sysname);
    return true;
}

void sys_code_page(SysCodePage* out)
{
    // File names, the environment and terminals speak UTF-8 here, whatever the locale says.
    *out = SysCodePage{};
    out->number = 65001;
}
