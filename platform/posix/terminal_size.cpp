// terminal_size.cpp: the width of the terminal that standard output writes to.
#include "platform/platform.h"

#include <sys/ioctl.h>
#include <unistd.h>

int sys_terminal_columns()
{
    struct winsize size;
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0)
        return 0;
    return size.ws_col;
}
