// Tests of the Windows file, pipe and attribute operations.
#include "platform/win32/copy_stop.h"
#include "win32_scratch.h"

#include <thread>

using SysOpenFiles = Win32Scratch;
using SysAttributes = Win32Scratch;
using SysCopyAndMove = Win32Scratch;
using SysCurrentDirectory = Win32Scratch;

static std::string read_all(SysHandle handle)
{
    std::string text;
    char block[64];
    for (int64_t got; (got = sys_read(handle, block, sizeof block)) > 0;)
        text.append(block, static_cast<size_t>(got));
    return text;
}

static bool inheritable(SysHandle handle)
{
    DWORD flags = 0;
    GetHandleInformation(reinterpret_cast<HANDLE>(handle), &flags);
    return (flags & HANDLE_FLAG_INHERIT) != 0;
}

TEST_F(SysOpenFiles, AnOpenFileCannotBeOpenedAgain)
{
    HandleOwner out(sys_open_output("held.txt", false));
    ASSERT_NE(out.handle, SYS_NO_HANDLE);
    EXPECT_EQ(sys_open_output("held.txt", true), SYS_NO_HANDLE);
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(sys_open_input("held.txt", false), SYS_NO_HANDLE);
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    out.reset();
    HandleOwner in(sys_open_input("held.txt", false));
    EXPECT_NE(in.handle, SYS_NO_HANDLE);
}

TEST_F(SysOpenFiles, OutputIsEmptiedOrAppendedAndInputReadsIt)
{
    HandleOwner out(sys_open_output("f.txt", false));
    ASSERT_TRUE(sys_write(out.handle, "abc", 3));
    out.reset();
    out.reset(sys_open_output("f.txt", true));
    ASSERT_TRUE(sys_write(out.handle, "de", 2));
    out.reset();
    HandleOwner in(sys_open_input("f.txt", false));
    EXPECT_EQ(read_all(in.handle), "abcde");
    in.reset();
    out.reset(sys_open_output("f.txt", false));
    out.reset();
    EXPECT_EQ(file_text("f.txt"), "");
}

TEST_F(SysOpenFiles, InputIsInheritableOnlyWhenAskedAndOutputAlways)
{
    put_file("f.txt", "x");
    HandleOwner plain(sys_open_input("f.txt", false));
    EXPECT_FALSE(inheritable(plain.handle));
    plain.reset();
    HandleOwner shared(sys_open_input("f.txt", true));
    EXPECT_TRUE(inheritable(shared.handle));
    shared.reset();
    HandleOwner out(sys_open_output("f.txt", true));
    EXPECT_TRUE(inheritable(out.handle));
}

TEST_F(SysOpenFiles, MissingFileAndDirectoryAreRefused)
{
    EXPECT_EQ(sys_open_input("missing.txt", false), SYS_NO_HANDLE);
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(sys_make_directory("sub"));
    EXPECT_EQ(sys_open_input("sub", false), SYS_NO_HANDLE);
}

TEST(SysMakePipe, EndsAreInheritableAndTheEndOfDataReadsAsZero)
{
    SysHandle reader, writer;
    ASSERT_EQ(sys_make_pipe(&reader, &writer), 0u);
    HandleOwner read_end(reader), write_end(writer);
    EXPECT_TRUE(inheritable(reader));
    EXPECT_TRUE(inheritable(writer));
    ASSERT_TRUE(sys_write(writer, "xyz", 3));
    write_end.reset();
    EXPECT_EQ(read_all(reader), "xyz");
    char last;
    EXPECT_EQ(sys_read(reader, &last, 1), 0);
}

// A pipe that does not wait takes nothing once it is full, and says that it succeeded.
TEST(SysWrite, AWriteThatTakesNothingFailsInsteadOfTryingForEver)
{
    SysHandle reader, writer;
    ASSERT_EQ(sys_make_pipe(&reader, &writer), 0u);
    HandleOwner read_end(reader), write_end(writer);
    DWORD mode = PIPE_NOWAIT;
    ASSERT_TRUE(SetNamedPipeHandleState(reinterpret_cast<HANDLE>(writer), &mode, nullptr, nullptr));
    std::string block(1 << 20, 'x'); // more than any pipe holds
    EXPECT_FALSE(sys_write(writer, block.data(), block.size()));
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(ERROR_WRITE_FAULT));
}

TEST_F(SysAttributes, ReadOnlyAndHiddenAreKeptAndReadOnlyProtects)
{
    put_file("f.txt", "x");
    EXPECT_EQ(sys_get_attributes("f.txt"), ATTR_ARCHIVE);
    ASSERT_TRUE(sys_set_attributes("f.txt", ATTR_READONLY | ATTR_HIDDEN));
    uint32_t both = ATTR_READONLY | ATTR_HIDDEN;
    EXPECT_EQ(sys_get_attributes("f.txt") & (both | ATTR_DIRECTORY), both);
    EXPECT_FALSE(sys_delete_file("f.txt"));
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(sys_set_attributes("f.txt", ATTR_NORMAL));
    EXPECT_TRUE(sys_delete_file("f.txt"));
    EXPECT_EQ(sys_get_attributes("f.txt"), ATTR_INVALID);
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST_F(SysAttributes, DirectoriesAreMadeAndRemovedOnlyWhenEmpty)
{
    ASSERT_TRUE(sys_make_directory("d"));
    EXPECT_FALSE(sys_make_directory("d"));
    EXPECT_EQ(sys_get_attributes("d") & ATTR_DIRECTORY, ATTR_DIRECTORY);
    put_file("d\\f", "x");
    EXPECT_FALSE(sys_remove_directory("d"));
    EXPECT_FALSE(sys_delete_file("d"));
    ASSERT_TRUE(sys_delete_file("d/f"));
    EXPECT_TRUE(sys_remove_directory("d"));
}

TEST_F(SysCopyAndMove, CopyOverwritesAndNeverHarmsItsSource)
{
    put_file("a", "new");
    put_file("b", "old and longer");
    ASSERT_TRUE(sys_copy("a", "b"));
    EXPECT_EQ(file_text("b"), "new");
    EXPECT_FALSE(sys_copy("a", "a"));
    EXPECT_EQ(file_text("a"), "new");
    EXPECT_FALSE(sys_copy("missing", "c"));
    EXPECT_EQ(sys_get_attributes("c"), ATTR_INVALID);
}

TEST_F(SysCopyAndMove, MoveRenamesFilesAndDirectories)
{
    ASSERT_TRUE(sys_make_directory("d"));
    put_file("d\\f", "x");
    ASSERT_TRUE(sys_move("d", "e"));
    EXPECT_EQ(file_text("e\\f"), "x");
    ASSERT_TRUE(sys_move("e\\f", "g"));
    EXPECT_EQ(file_text("g"), "x");
    EXPECT_FALSE(sys_move("missing", "h"));
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST_F(SysCurrentDirectory, FollowsChangesAndRefusesASmallBuffer)
{
    ASSERT_TRUE(sys_make_directory("sub"));
    ASSERT_TRUE(sys_set_current_directory("sub"));
    char buffer[MAX_PATH];
    size_t length = sys_get_current_directory(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, length), directory + "\\sub");
    char small[4] = "old";
    EXPECT_EQ(sys_get_current_directory(small, sizeof small), 0u);
    EXPECT_STREQ(small, "");
    EXPECT_FALSE(sys_set_current_directory("missing"));
}

TEST_F(SysOpenFiles, AppendingWritesAtTheEndWhereverThePointerStands)
{
    put_file("log", "old");
    HandleOwner out(sys_open_output("log", true));
    SetFilePointer(reinterpret_cast<HANDLE>(out.handle), 0, nullptr, FILE_BEGIN);
    ASSERT_TRUE(sys_write(out.handle, "new", 3));
    out.reset();
    EXPECT_EQ(file_text("log"), "oldnew");
}

// The console's closing stops a copy under way and removes its partial file before it returns.
TEST_F(SysCopyAndMove, ClosingTheConsoleStopsACopyAndRemovesItsPartialFile)
{
    HANDLE big = CreateFileA("big", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER size{.QuadPart = 1LL << 30}; // sparse on Wine: reading it costs little
    ASSERT_TRUE(SetFilePointerEx(big, size, nullptr, FILE_BEGIN) && SetEndOfFile(big));
    CloseHandle(big);
    bool copied = true;
    std::thread copy([&copied] { copied = sys_copy("big", "copy"); });
    while (GetFileAttributesA("copy") == INVALID_FILE_ATTRIBUTES)
        Sleep(1);
    on_console_end(CTRL_CLOSE_EVENT);
    EXPECT_EQ(GetFileAttributesA("copy"), INVALID_FILE_ATTRIBUTES);
    copy.join();
    EXPECT_FALSE(copied);
}
