// terminal_size.cpp: the width of the terminal that standard output writes to, asked again
// only after the terminal said it changed (SIGWINCH).
#include "platform/platform.h"

#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

static volatile sig_atomic_t size_changed = 1;
static int known_columns = 0;

static void on_resize(int) { size_changed = 1; }

// Installed once, when the width is first asked for; a program started later gets the default
// action back with its new image.
static void watch_resizes()
{
    static bool watching = false;
    if (watching)
        return;
    watching = true;
    struct sigaction action = {};
    action.sa_handler = on_resize;
    action.sa_flags = SA_RESTART; // a key being read goes on being read
    sigemptyset(&action.sa_mask);
    sigaction(SIGWINCH, &action, nullptr);
}

int sys_terminal_columns()
{
    watch_resizes();
    if (!size_changed)
        return known_columns;
    size_changed = 0;
    struct winsize size;
    known_columns = ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
    return known_columns;
}
