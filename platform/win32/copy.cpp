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

// Called by the system after every piece it copied; cancelling removes the partial file.
static DWORD CALLBACK copy_progress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER,
                                    DWORD, DWORD, HANDLE, HANDLE, LPVOID data)
{
    long started = *static_cast<const long*>(data);
    return stop_requests.load() != started ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

bool sys_copy(const char* from, const char* to)
{
    long started = stop_requests.load();
    copy_running = true;
    BOOL copied = CopyFileExA(from, to, copy_progress, &started, nullptr, 0);
    if (!copied)
        keep_path_error(from, to);
    copy_running = false;
    return copied != 0;
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
