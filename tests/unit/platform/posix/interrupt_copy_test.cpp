// Tests of what an interrupt or a hang-up leaves of a copy, and of the terminal's own ^C.
#include "platform/platform.h"
#include "scratch_dir.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>

using InterruptedCopy = ScratchDir;

static int entries_in(const char* folder)
{
    int count = 0;
    DIR* directory = opendir(folder);
    while (dirent* entry = directory ? readdir(directory) : nullptr)
        count += std::string(entry->d_name) != "." && std::string(entry->d_name) != "..";
    if (directory)
        closedir(directory);
    return count;
}

// The copy is stopped once its hidden file exists: an interrupt fails it (the shell then goes
// on), a hang-up ends the shell; neither leaves the file behind.
TEST_F(InterruptedCopy, LeavesNoPartialFile)
{
    write_text("big", "");
    ASSERT_EQ(truncate("big", 1LL << 30), 0); // sparse: reading it costs little
    ASSERT_EQ(mkdir("out", 0777), 0);
    for (int signal_number : {SIGINT, SIGHUP}) {
        pid_t child = fork();
        if (child == 0) {
            char name[] = "vrel";
            char* argv[] = {name, nullptr};
            sys_init(1, argv);
            if (signal_number == SIGINT)
                sys_on_interrupt([](int) {});
            bool copied = sys_copy("big", "out/copy");
            _exit(!copied && sys_last_error() == EINTR ? 0 : 1);
        }
        while (entries_in("out") == 0 && waitpid(child, nullptr, WNOHANG) == 0)
            usleep(1000);
        kill(child, signal_number);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (signal_number == SIGINT)
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        else
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP);
        EXPECT_EQ(entries_in("out"), 0) << "signal " << signal_number;
    }
}

// Only a Ctrl-C that a terminal echoing control keys showed as ^C counts as shown.
TEST(InterruptEcho, FollowsTheTerminalsModeAndTheSignal)
{
    struct Case {
        tcflag_t modes;
        int signal_number;
        bool echoed;
    } cases[] = {{ECHO | ECHOCTL | ISIG, SIGINT, true},
                 {ECHO | ISIG, SIGINT, false},
                 {ECHOCTL | ISIG, SIGINT, false},
                 {ECHO | ECHOCTL | ISIG, SIGTERM, false}};
    for (const Case& c : cases) {
        pid_t child = fork();
        if (child == 0) {
            int master, slave;
            if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
                _exit(2);
            struct termios mode;
            tcgetattr(slave, &mode);
            mode.c_lflag = (mode.c_lflag & ~(ECHO | ECHOCTL | ISIG)) | c.modes;
            tcsetattr(slave, TCSANOW, &mode);
            dup2(slave, STDERR_FILENO);
            sys_on_interrupt([](int) {});
            raise(c.signal_number);
            _exit(sys_interrupt_echoed() == c.echoed ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << c.modes << " " << c.signal_number;
    }
}
