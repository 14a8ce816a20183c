// Tests of starting programs under Windows: codes, handles, inheritance and the environment.
#include "win32_scratch.h"

using SysStartProgram = Win32Scratch;

TEST_F(SysStartProgram, MissingProgramGivesCode2)
{
    uint32_t code = 99;
    EXPECT_EQ(sys_start_program("vrel-no-such-program arg", SYS_NO_HANDLE, SYS_NO_HANDLE,
                                SYS_NO_HANDLE, true, &code),
              2u);
    EXPECT_EQ(sys_last_error(), 2u);
    EXPECT_EQ(code, 99u);
}

TEST_F(SysStartProgram, DisabledStartsFailWithCode2)
{
    sys_disable_programs(true);
    uint32_t code = 99;
    uint32_t result = sys_start_program("cmd /c exit 0", SYS_NO_HANDLE, SYS_NO_HANDLE,
                                        SYS_NO_HANDLE, true, &code);
    sys_disable_programs(false);
    EXPECT_EQ(result, 2u);
    EXPECT_EQ(code, 99u);
}

TEST_F(SysStartProgram, WaitsForTheExitCode)
{
    uint32_t code = 0;
    ASSERT_EQ(sys_start_program("cmd /c exit 7", SYS_NO_HANDLE, SYS_NO_HANDLE, SYS_NO_HANDLE, true,
                                &code),
              0u);
    EXPECT_EQ(code, 7u);
}

TEST_F(SysStartProgram, ChildWritesToTheGivenHandleAndSeesTheEnvironment)
{
    ASSERT_TRUE(sys_set_env("VREL_CHILD_SEES", "yes"));
    HandleOwner out(sys_open_output("out.txt", false));
    uint32_t code = 0;
    ASSERT_EQ(sys_start_program("cmd /c echo %VREL_CHILD_SEES%", SYS_NO_HANDLE, out.handle,
                                SYS_NO_HANDLE, true, &code),
              0u);
    out.reset();
    sys_set_env("VREL_CHILD_SEES", nullptr);
    EXPECT_EQ(file_text("out.txt"), "yes\r\n");
}

TEST_F(SysStartProgram, OutputWrittenBeforeTheStartComesFirst)
{
    HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE file =
        CreateFileA("out.txt", GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    SetStdHandle(STD_OUTPUT_HANDLE, file);
    sys_write_out("before\n", 7);
    uint32_t code = 0;
    sys_start_program("cmd /c echo after", SYS_NO_HANDLE, SYS_NO_HANDLE, SYS_NO_HANDLE, true,
                      &code);
    sys_flush_out();
    SetStdHandle(STD_OUTPUT_HANDLE, saved);
    CloseHandle(file);
    EXPECT_EQ(file_text("out.txt"), "before\r\nafter\r\n");
}

// A child gets its three standard handles and nothing else, so the shell's other pipe ends
// never stay open in a program that does not use them.
TEST_F(SysStartProgram, ChildInheritsOnlyItsStandardHandles)
{
    SysHandle reader, writer, child_in, feeder;
    ASSERT_EQ(sys_make_pipe(&reader, &writer), 0u);
    ASSERT_EQ(sys_make_pipe(&child_in, &feeder), 0u);
    HandleOwner read_end(reader), write_end(writer), child_end(child_in), feed(feeder);
    HandleOwner nul(sys_open_output("NUL", false));
    SetCurrentDirectoryA(saved_directory); // the child outlives the test: not in its directory
    ASSERT_EQ(sys_start_program("find \"x\"", child_in, nul.handle, nul.handle, false, nullptr),
              0u);
    write_end.reset();
    DWORD available = 0;
    EXPECT_FALSE(
        PeekNamedPipe(reinterpret_cast<HANDLE>(reader), nullptr, 0, nullptr, &available, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
    feed.reset(); // the child sees the end of its input and ends
}
