// Tests of what an interrupt or a hang-up leaves of a copy, and of the terminal's own ^C.
#include "platform/platform.h"
#include "scratch_dir.h"

#include <cerrno>
#include <csignal>
#include <glob.h>
#include <pty.h>
#include <sys/wait.h>

// Once its hidden file exists, the copy is stopped by an interrupt or a hang-up: no file is left.
TEST_F(ScratchDir, AnInterruptedCopyLeavesNoPartialFile)
{
    write_text("big", "");
    ASSERT_EQ(truncate("big", 1LL << 30), 0); // sparse: reading it costs little
    for (int signal_number : {SIGINT, SIGHUP}) {
        ASSERT_EQ(mkdir("out", 0777), 0);
        pid_t child = fork();
        if (child == 0) {
            char name[] = "vrel", *argv[] = {name, nullptr};
            sys_init(1, argv);
            if (signal_number == SIGINT)
                sys_on_interrupt([](int) {});
            _exit(!sys_copy("big", "out/copy") && sys_last_error() == EINTR ? 0 : 1);
        }
        glob_t partial{};
        while (glob("out/.vrel-copy-*", 0, nullptr, &partial) && !waitpid(child, nullptr, WNOHANG))
            usleep(1000);
        globfree(&partial);
        kill(child, signal_number);
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_EQ(status, signal_number == SIGINT ? 0 : SIGHUP);  // exited 0, or ended by SIGHUP
        EXPECT_EQ(rmdir("out"), 0) << "signal " << signal_number; // nothing was left in it
    }
}

// Only a Ctrl-C that a terminal echoing control keys showed as ^C counts as shown.
TEST(InterruptEcho, FollowsTheTerminalsModeAndTheSignal)
{
    struct Case {
        tcflag_t modes;
        int signal_number;
        bool echoed;
    };
    for (Case c : {Case{ECHO | ECHOCTL | ISIG, SIGINT, true}, Case{ECHO | ISIG, SIGINT, false},
                   Case{ECHO | ECHOCTL | ISIG, SIGTERM, false}}) {
        pid_t child = fork();
        if (child == 0) {
            int master, slave;
            struct termios mode;
            if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0 || tcgetattr(slave, &mode))
                _exit(2);
            mode.c_lflag = (mode.c_lflag & ~(ECHO | ECHOCTL | ISIG)) | c.modes;
            tcsetattr(slave, TCSANOW, &mode);
            dup2(slave, STDERR_FILENO);
            sys_on_interrupt([](int) {});
            raise(c.signal_number);
            _exit(sys_interrupt_echoed() == c.echoed ? 0 : 1);
        }
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_EQ(status, 0) << c.modes << " " << c.signal_number;
    }
}
