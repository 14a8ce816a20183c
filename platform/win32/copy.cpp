// copy.cpp: file copies that stop at an interrupt or when the console closes.
#include "platform/platform.h"
#include "platform/win32/copy_stop.h"
#include "platform/win32/last_error.h"

#include <atomic>

// Every request to stop counts one; a copy stops once the count has moved since it began.
static std::atomic<long> stop_requests{0};
static std::atomic<bool> copy_running{false};

// A closing console's process gets five seconds from the system before it is ended.
constexpr DWORD STOP_WAIT_MS = 3000;
constexpr DWORD STOP_POLL_MS = 10;

// The step at which a copy notices a request to stop: a few milliseconds of work.
constexpr DWORD COPY_BLOCK_SIZE = 65536;
// What a new file takes of its source's attributes.
constexpr DWORD COPIED_ATTRIBUTES = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

static bool fail_last()
{
    keep_last_error();
    return false;
}

static bool fail_path(const char* from, const char* to)
{
    keep_path_error(from, to);
    return false;
}

// Closes the files of one copy, and removes a destination left unfinished.
struct CopyHandles {
    HANDLE source = INVALID_HANDLE_VALUE, target = INVALID_HANDLE_VALUE;
    const char* target_name = nullptr;
    ~CopyHandles()
    {
        if (source != INVALID_HANDLE_VALUE)
            CloseHandle(source);
        if (target != INVALID_HANDLE_VALUE) {
            CloseHandle(target);
            DeleteFileA(target_name);
        }
        copy_running = false;
    }
};

// Copies block by block, so that a request to stop is seen within one block: the system's own
// copy call does not stop everywhere it runs.
static bool copy_blocks(HANDLE from, HANDLE to, long started)
{
    static char block[COPY_BLOCK_SIZE];
    for (;;) {
        if (stop_requests.load() != started) {
            keep_error(ERROR_OPERATION_ABORTED);
            return false;
        }
        DWORD got = 0;
        if (!ReadFile(from, block, COPY_BLOCK_SIZE, &got, nullptr))
            return fail_last();
        if (got == 0)
            return true;
        if (!sys_write(reinterpret_cast<SysHandle>(to), block, got))
            return false;
    }
}

bool sys_copy(const char* from, const char* to)
{
    long started = stop_requests.load();
    copy_running = true;
    CopyHandles files;
    files.source = CreateFileA(from, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    BY_HANDLE_FILE_INFORMATION source;
    if (files.source == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(files.source, &source))
        return fail_path(from, to);
    // Sharing nothing with the open source, the file itself is refused before it is emptied.
    files.target =
        CreateFileA(to, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (files.target == INVALID_HANDLE_VALUE)
        return fail_path(from, to);
    files.target_name = to;
    if (!copy_blocks(files.source, files.target, started))
        return false;
    if (!SetFileTime(files.target, nullptr, nullptr, &source.ftLastWriteTime))
        return fail_last();
    CloseHandle(files.target);
    files.target = INVALID_HANDLE_VALUE;
    DWORD attributes = source.dwFileAttributes & COPIED_ATTRIBUTES;
    return SetFileAttributesA(to, attributes ? attributes : FILE_ATTRIBUTE_NORMAL) || fail_last();
}

void stop_copy_and_wait()
{
    ++stop_requests;
    for (DWORD waited = 0; copy_running && waited < STOP_WAIT_MS; waited += STOP_POLL_MS)
        Sleep(STOP_POLL_MS);
}

BOOL WINAPI on_console_end(DWORD)
{
    stop_copy_and_wait();
    return FALSE; // the next handler, or the system's, goes on as it would have
}
