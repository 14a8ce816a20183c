// system_info.cpp: host and user names, the system directories and the system version.
#include "platform/platform.h"
#include "posix_layer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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

// "name:password:uid:..." names uid: the line's first field is copied into name.
static bool passwd_entry_names(const char* line, unsigned long uid, char* name, size_t size)
{
    const char* colon = strchr(line, ':');
    const char* uid_field = colon ? strchr(colon + 1, ':') : nullptr;
    if (!uid_field || colon == line || static_cast<size_t>(colon - line) >= size)
        return false;
    char* end = nullptr;
    if (strtoul(uid_field + 1, &end, 10) != uid || end == uid_field + 1 || *end != ':')
        return false;
    memcpy(name, line, colon - line);
    name[colon - line] = 0;
    return true;
}

// The user database file is read directly: a name-service lookup would need dynamic loading,
// which the static program cannot do. Lines too long for the buffer name nobody.
static bool passwd_name(unsigned long uid, char* name, size_t size)
{
    int fd = open("/etc/passwd", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char chunk[4096];
    char line[1024];
    size_t used = 0;
    bool found = false;
    ssize_t got;
    while (!found && (got = read(fd, chunk, sizeof chunk)) > 0) {
        for (ssize_t i = 0; i < got && !found; ++i) {
            if (chunk[i] != '\n') {
                if (used < sizeof line) // a full buffer marks the line as too long
                    line[used++] = chunk[i];
                continue;
            }
            if (used < sizeof line) {
                line[used] = 0;
                found = passwd_entry_names(line, uid, name, size);
            }
            used = 0;
        }
    }
    if (!found && used > 0 && used < sizeof line) { // a last line without its line feed
        line[used] = 0;
        found = passwd_entry_names(line, uid, name, size);
    }
    close(fd);
    return found;
}

size_t sys_user_name(char* buffer, size_t size)
{
    char name[256];
    if (passwd_name(geteuid(), name, sizeof name))
        return copy_fact(name, buffer, size);
    // No entry for this user (a container's made-up id, say): the login's own word for it.
    const char* login = getenv("LOGNAME");
    return copy_fact(login && *login ? login : getenv("USER"), buffer, size);
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
