// search.cpp: directory searches and the times of their entries.
#include "platform/platform.h"
#include "platform/win32/last_error.h"

#include <cstring>
#include <cwchar>
#include <windows.h>

// A search is the system's own search handle; nothing else needs keeping.
static HANDLE native(SysSearch* search) { return reinterpret_cast<HANDLE>(search); }

static int64_t file_time_value(FILETIME time)
{
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                                time.dwLowDateTime);
}

static FILETIME file_time_of(int64_t value)
{
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(value));
    time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(value) >> 32);
    return time;
}

// The name in the code page of the shell's text, or false when that cannot hold it exactly. The
// system would write a character it lacks as '?' (a wild card) or as a look-alike ('a' for a
// full-width 'a'), and either names other files; so the name must come back unchanged.
static bool narrow_name(const wchar_t* wide, char* out, int size)
{
    bool utf8 = GetACP() == CP_UTF8; // takes neither the flag nor the question
    BOOL defaulted = FALSE;
    int length = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1, out, size,
                                     nullptr, utf8 ? nullptr : &defaulted);
    if (length == 0 || defaulted)
        return false;
    wchar_t back[MAX_PATH];
    return MultiByteToWideChar(CP_ACP, 0, out, -1, back, MAX_PATH) > 0 &&
           std::wcscmp(back, wide) == 0;
}

static void fill_entry(const WIN32_FIND_DATAW* found, FindData* entry)
{
    entry->dwFileAttributes = found->dwFileAttributes;
    entry->nFileSize = (static_cast<uint64_t>(found->nFileSizeHigh) << 32) | found->nFileSizeLow;
    entry->ftLastWriteTime = file_time_value(found->ftLastWriteTime);
    entry->name_lost = !narrow_name(found->cFileName, entry->cFileName, sizeof entry->cFileName);
    if (entry->name_lost)
        entry->cFileName[0] = 0;
}

SysSearch* sys_find_first(const char* pattern, FindData* entry)
{
    // The system takes a path in the code page up to MAX_PATH bytes, and refuses a longer one
    // before it looks: so does the search, which asks by the Unicode name only to see it whole.
    wchar_t wide[MAX_PATH];
    if (std::strlen(pattern) >= MAX_PATH ||
        MultiByteToWideChar(CP_ACP, 0, pattern, -1, wide, MAX_PATH) == 0) {
        keep_error(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    WIN32_FIND_DATAW found;
    HANDLE handle = FindFirstFileW(wide, &found);
    if (handle == INVALID_HANDLE_VALUE) {
        keep_path_error(pattern);
        return nullptr;
    }
    fill_entry(&found, entry);
    return reinterpret_cast<SysSearch*>(handle);
}

bool sys_find_next(SysSearch* search, FindData* entry)
{
    WIN32_FIND_DATAW found;
    if (!FindNextFileW(native(search), &found)) {
        keep_last_error();
        return false;
    }
    fill_entry(&found, entry);
    return true;
}

void sys_find_close(SysSearch* search)
{
    if (search)
        FindClose(native(search));
}

void sys_local_time(int64_t file_time, LocalTime* out)
{
    FILETIME universal = file_time_of(file_time), local;
    SYSTEMTIME parts{};
    if (!FileTimeToLocalFileTime(&universal, &local) || !FileTimeToSystemTime(&local, &parts))
        parts = SYSTEMTIME{};
    *out =
        LocalTime{parts.wYear, parts.wMonth, parts.wDay, parts.wHour, parts.wMinute, parts.wSecond};
}

void sys_search_stored_attributes(bool)
{
    // The system delivers every attribute bit with the entry at no extra cost.
}
