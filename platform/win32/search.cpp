// search.cpp: directory searches and the times of their entries.
#include "platform/platform.h"
#include "platform/win32/last_error.h"

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

static void fill_entry(const WIN32_FIND_DATAA* found, FindData* entry)
{
    entry->dwFileAttributes = found->dwFileAttributes;
    entry->nFileSize = (static_cast<uint64_t>(found->nFileSizeHigh) << 32) | found->nFileSizeLow;
    entry->ftLastWriteTime = file_time_value(found->ftLastWriteTime);
    size_t i = 0;
    for (; i + 1 < sizeof(entry->cFileName) && found->cFileName[i]; ++i)
        entry->cFileName[i] = found->cFileName[i];
    entry->cFileName[i] = 0;
}

SysSearch* sys_find_first(const char* pattern, FindData* entry)
{
    WIN32_FIND_DATAA found;
    HANDLE handle = FindFirstFileA(pattern, &found);
    if (handle == INVALID_HANDLE_VALUE) {
        keep_path_error(pattern);
        return nullptr;
    }
    fill_entry(&found, entry);
    return reinterpret_cast<SysSearch*>(handle);
}

bool sys_find_next(SysSearch* search, FindData* entry)
{
    WIN32_FIND_DATAA found;
    if (!FindNextFileA(native(search), &found)) {
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
