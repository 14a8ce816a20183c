// terminal_size.cpp: the width of the console that standard output writes to.
#include "platform/platform.h"

#include <windows.h>

int sys_terminal_columns()
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    // The console wraps text at the width of its screen buffer, not of its window.
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info))
        return 0;
    return info.dwSize.X;
}
