// Tests of start-up, interrupts and the end of the process.
#include "platform/platform.h"
#include "scratch_dir.h"

#include <csignal>
#include <sys/wait.h>

static volatile sig_atomic_t interrupts_seen = 0;

TEST(SysInit, JoinsArgumentsAndKnowsTheShellItself)
{
    char name[] = "vrel", dash_f[] = "-f", text[] = "echo  hi";
    char* argv[] = {name, dash_f, text, nullptr};
    sys_init(3, argv);
    EXPECT_STREQ(sys_command_line(), "vrel -f echo  hi");
    // Here the running executable is the test program, which lists its own tests.
    char out_name[] = "/tmp/vrel-self-XXXXXX";
    int fd = mkstemp(out_name);
    uint32_t code = 1;
    EXPECT_EQ(sys_start_program("vrel --gtest_list_tests", SYS_NO_HANDLE, fd, fd, true, &code), 0u);
    close(fd);
    EXPECT_EQ(code, 0u);
    EXPECT_NE(read_text(out_name).find("JoinsArgumentsAndKnowsTheShellItself"), std::string::npos);
    unlink(out_name);
}

TEST(SysOnInterrupt, StaysInForceForEverySignal)
{
    pid_t child = fork();
    if (child == 0) {
        sys_on_interrupt([](int) { interrupts_seen = interrupts_seen + 1; });
        raise(SIGTERM);
        raise(SIGQUIT);
        raise(SIGINT);
        raise(SIGINT); // a second Ctrl-C is one more interrupt, not the end of the shell
        _exit(interrupts_seen == 4 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(SysExit, FlushesOutputAndEndsWithTheCode)
{
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    pid_t child = fork();
    if (child == 0) {
        dup2(ends[1], STDOUT_FILENO);
        sys_write_out("buffered", 8);
        sys_exit(5);
    }
    close(ends[1]);
    char buffer[16] = "";
    EXPECT_EQ(read(ends[0], buffer, sizeof buffer), 8);
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 5);
}
