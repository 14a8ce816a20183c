// Tests of starting programs: error codes, exit codes, streams, and no leaks.
#include "platform/platform.h"
#include "scratch_dir.h"

#include <csignal>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <valgrind/valgrind.h>

using StartProgram = ScratchDir;

static uint32_t run(const char* line, SysHandle input = SYS_NO_HANDLE,
                    SysHandle output = SYS_NO_HANDLE, uint32_t* exit_code = nullptr)
{
    uint32_t code = 0;
    return sys_start_program(line, input, output, output, true, exit_code ? exit_code : &code);
}

static uint32_t exit_code_of(const char* line)
{
    uint32_t code = 999;
    EXPECT_EQ(run(line, SYS_NO_HANDLE, SYS_NO_HANDLE, &code), 0u) << line;
    return code;
}

static int open_descriptors()
{
    int count = 0;
    DIR* directory = opendir("/proc/self/fd");
    while (readdir(directory))
        ++count;
    closedir(directory);
    return count;
}

TEST_F(StartProgram, MissingOrForbiddenProgramsGiveTheSystemCode)
{
    if (RUNNING_ON_VALGRIND)
        GTEST_SKIP() << "under valgrind a failing exec in a spawned child is not reported";
    write_text("plain", "#!/bin/sh\n", 0644);
    EXPECT_EQ(run("vrel_no_such_program_x"), 2u);
    EXPECT_EQ(sys_last_error(), 2u);
    EXPECT_EQ(run("./no_such_file"), 2u);
    EXPECT_EQ(run("./plain"), 13u);
    EXPECT_EQ(run("  \t "), 2u);
    sys_disable_programs(true);
    EXPECT_EQ(run("true"), 2u);
    sys_disable_programs(false);
}

TEST_F(StartProgram, SearchesPathAsExecvpDoes)
{
    write_text("here", "#!/bin/sh\nexit 7\n", 0755);
    char saved[4096] = "";
    sys_get_env("PATH", saved, sizeof saved);
    EXPECT_EQ(run("here"), 2u); // the current directory only when PATH names it
    sys_set_env("PATH", (std::string(saved) + ":").c_str());
    EXPECT_EQ(exit_code_of("here"), 7u);
    chmod("here", 0644);
    EXPECT_EQ(run("here"), 13u);
    sys_set_env("PATH", saved);
}

TEST_F(StartProgram, ExitCodeIsTheStatusOr128PlusTheSignal)
{
    if (RUNNING_ON_VALGRIND)
        GTEST_SKIP() << "under valgrind a failing exec in a spawned child is not reported";
    write_text("three", "#!/bin/sh\nexit 3\n", 0755);
    write_text("killed", "#!/bin/sh\nkill -TERM $$\n", 0755);
    write_text("no_interpreter_line", "exit 4\n", 0755);
    EXPECT_EQ(exit_code_of("./three"), 3u);
    EXPECT_EQ(exit_code_of("./killed"), 128u + SIGTERM);
    EXPECT_EQ(exit_code_of("./no_interpreter_line"), 4u);
    EXPECT_EQ(exit_code_of("false"), 1u);
}

TEST_F(StartProgram, ChildGetsDefaultSignalActions)
{
    signal(SIGPIPE, SIG_IGN); // as the shell itself does
    SysHandle read_end, write_end;
    ASSERT_EQ(sys_make_pipe(&read_end, &write_end), 0u);
    sys_close(read_end);
    uint32_t code = 0;
    EXPECT_EQ(run("yes", SYS_NO_HANDLE, write_end, &code), 0u);
    EXPECT_EQ(code, 128u + SIGPIPE);
    sys_close(write_end);
}

// A signal mask the child reports for itself, from its "SigBlk:" or "SigIgn:" line.
static uint64_t child_mask(const std::string& status, const char* field)
{
    size_t at = status.find(field);
    EXPECT_NE(at, std::string::npos) << field;
    return at == std::string::npos ? 0 : std::stoull(status.substr(at + 8), nullptr, 16);
}

TEST_F(StartProgram, ChildKeepsOnlyTheIgnoredHangUpAndNothingBlocked)
{
    signal(SIGPIPE, SIG_IGN);
    signal(SIGHUP, SIG_IGN); // the shell was started under nohup
    sigset_t blocked, old;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, &old);
    {
        HandleOwner out(sys_open_output("out", false));
        EXPECT_EQ(run("grep ^Sig /proc/self/status", SYS_NO_HANDLE, out.handle), 0u);
    }
    sigprocmask(SIG_SETMASK, &old, nullptr);
    signal(SIGHUP, SIG_DFL);
    std::string status = read_text("out");
    auto bit = [](int signal_number) { return uint64_t(1) << (signal_number - 1); };
    EXPECT_EQ(child_mask(status, "SigBlk:"), 0u);
    EXPECT_EQ(child_mask(status, "SigIgn:") & (bit(SIGHUP) | bit(SIGPIPE)), bit(SIGHUP));
}

TEST_F(StartProgram, AStandardHandleThatCannotBeMovedFailsTheStart)
{
    if (RUNNING_ON_VALGRIND)
        GTEST_SKIP() << "valgrind keeps descriptors of its own above the limit";
    // With no descriptor number above 2 to spare, standard input given as a handle cannot be
    // moved out of the way: the start fails instead of leaving the child the shell's stream.
    struct rlimit saved, low;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    low = saved;
    low.rlim_cur = 3;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    uint32_t result = run("true", 0);
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(result, static_cast<uint32_t>(EINVAL));
}

TEST_F(StartProgram, SplitsAtBlanksAndTabsAndUsesTheGivenStreams)
{
    write_text("in", "from a file\n");
    {
        HandleOwner in(sys_open_input("in", true)), out(sys_open_output("out", false));
        EXPECT_EQ(run("cat", in.handle, out.handle), 0u);
    }
    EXPECT_EQ(read_text("out"), "from a file\n");
    {
        HandleOwner out(sys_open_output("out", false));
        EXPECT_EQ(run("printf \t %s|  a\tb ", SYS_NO_HANDLE, out.handle), 0u);
    }
    EXPECT_EQ(read_text("out"), "a|b|");
}

TEST_F(StartProgram, ChildSeesTheShellsEnvironment)
{
    sys_set_env("VREL_T_CHILD", "seen");
    {
        HandleOwner out(sys_open_output("out", false));
        run("printenv VREL_T_CHILD", SYS_NO_HANDLE, out.handle);
    }
    EXPECT_EQ(read_text("out"), "seen\n");
    sys_set_env("VREL_T_CHILD", nullptr);
    EXPECT_EQ(exit_code_of("printenv VREL_T_CHILD"), 1u);
}

TEST_F(StartProgram, PipeEndsReachTheReaderAndEndIt)
{
    SysHandle read_end, write_end;
    ASSERT_EQ(sys_make_pipe(&read_end, &write_end), 0u);
    uint32_t ignored = 0;
    ASSERT_EQ(
        sys_start_program("echo piped", SYS_NO_HANDLE, write_end, SYS_NO_HANDLE, false, &ignored),
        0u);
    sys_close(write_end);
    HandleOwner out(sys_open_output("out", false));
    EXPECT_EQ(run("cat", read_end, out.handle), 0u); // ends: no other copy of the writer
    sys_close(read_end);
    EXPECT_EQ(read_text("out"), "piped\n");
}

TEST_F(StartProgram, NothingLeaksFromFailingOrUnwaitedStarts)
{
    if (RUNNING_ON_VALGRIND)
        GTEST_SKIP() << "under valgrind a failing exec in a spawned child is not reported";
    write_text("plain", "", 0644);
    HandleOwner in(sys_open_input("/dev/null", true));
    int before = open_descriptors();
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(run("vrel_no_such_program_x"), 2u);
        EXPECT_EQ(run("./plain", in.handle, in.handle), 13u);
    }
    EXPECT_EQ(open_descriptors(), before);
    uint32_t ignored = 0;
    for (int i = 0; i < 3; ++i)
        sys_start_program("true", SYS_NO_HANDLE, SYS_NO_HANDLE, SYS_NO_HANDLE, false, &ignored);
    // A start reaps the programs that have ended; on a loaded machine they may end late, so
    // starts go on (for half a minute at most) until no child is left, looked at unreaped.
    siginfo_t info;
    for (int i = 0; i < 3000 && waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0; ++i) {
        usleep(10000);
        EXPECT_EQ(exit_code_of("true"), 0u);
    }
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}
