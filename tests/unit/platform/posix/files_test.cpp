// Tests of opening with no sharing, pipes, and the operations on paths.
#include "platform/platform.h"
#include "scratch_dir.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>

using Files = ScratchDir;

static bool close_on_exec(SysHandle handle)
{
    return fcntl(static_cast<int>(handle), F_GETFD) & FD_CLOEXEC;
}

TEST_F(Files, HeldFileCannotBeOpenedAgainAndStaysIntact)
{
    write_text("held", "keep");
    HandleOwner first(sys_open_input("held", false));
    ASSERT_NE(first.handle, SYS_NO_HANDLE);
    EXPECT_EQ(sys_open_output("held", false), SYS_NO_HANDLE);
    EXPECT_EQ(sys_open_output("held", true), SYS_NO_HANDLE);
    EXPECT_EQ(sys_open_input("held", true), SYS_NO_HANDLE);
    EXPECT_EQ(read_text("held"), "keep");
    first.reset();
    HandleOwner again(sys_open_output("held", false));
    ASSERT_NE(again.handle, SYS_NO_HANDLE);
    EXPECT_EQ(read_text("held"), ""); // emptied once the lock was had
}

TEST_F(Files, SameFileIsKnownByAnyNameAndReadOnlyIsNeverWritten)
{
    write_text("f", "keep");
    mkdir("d", 0777);
    HandleOwner held(sys_open_input("f", false));
    EXPECT_TRUE(sys_is_open_file(held.handle, "./d/../f"));
    EXPECT_FALSE(sys_is_open_file(held.handle, "d"));
    EXPECT_FALSE(sys_is_open_file(held.handle, "missing"));
    held.reset();
    chmod("f", 0444); // refused for root too, as Windows refuses a read-only file
    EXPECT_EQ(sys_open_output("f", false), SYS_NO_HANDLE);
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(EACCES));
    EXPECT_EQ(sys_open_output("f", true), SYS_NO_HANDLE);
    EXPECT_EQ(read_text("f"), "keep");
}

TEST_F(Files, DevicesOpenAnyNumberOfTimes)
{
    HandleOwner a(sys_open_input("/dev/null", true)), b(sys_open_input("/dev/null", true));
    HandleOwner c(sys_open_output("/dev/null", false)), d(sys_open_output("/dev/null", true));
    EXPECT_NE(a.handle, SYS_NO_HANDLE);
    EXPECT_NE(b.handle, SYS_NO_HANDLE);
    EXPECT_NE(c.handle, SYS_NO_HANDLE);
    EXPECT_NE(d.handle, SYS_NO_HANDLE);
}

TEST_F(Files, OutputAppendsOrEmptiesAndEveryHandleIsCloseOnExec)
{
    write_text("log", "one\n");
    {
        HandleOwner out(sys_open_output("log", true));
        EXPECT_TRUE(close_on_exec(out.handle));
        EXPECT_TRUE(sys_write(out.handle, "two\n", 4));
    }
    EXPECT_EQ(read_text("log"), "one\ntwo\n");
    HandleOwner in(sys_open_input("log", true));
    char buffer[16];
    EXPECT_EQ(sys_read(in.handle, buffer, sizeof buffer), 8);
    EXPECT_EQ(sys_read(in.handle, buffer, sizeof buffer), 0);
    EXPECT_TRUE(close_on_exec(in.handle));
    EXPECT_EQ(sys_open_input("missing", false), SYS_NO_HANDLE);
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(ENOENT));
    mkdir("dir", 0777);
    EXPECT_EQ(sys_open_input("dir", false), SYS_NO_HANDLE); // a directory is no file to read
}

TEST_F(Files, PipeCarriesBytesToItsEnd)
{
    SysHandle read_end, write_end;
    ASSERT_EQ(sys_make_pipe(&read_end, &write_end), 0u);
    HandleOwner reader(read_end), writer(write_end);
    EXPECT_TRUE(close_on_exec(read_end) && close_on_exec(write_end));
    EXPECT_TRUE(sys_write(write_end, "abc", 3));
    writer.reset();
    char buffer[8];
    EXPECT_EQ(sys_read(read_end, buffer, sizeof buffer), 3);
    EXPECT_EQ(sys_read(read_end, buffer, sizeof buffer), 0);
    EXPECT_EQ(sys_read(999, buffer, sizeof buffer), -1);
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(EBADF));
}

TEST_F(Files, CopyTakesContentsPermissionsAndTimeAndOverwrites)
{
    write_text("source", "new contents", 0750);
    struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    utimensat(AT_FDCWD, "source", times, 0);
    write_text("target", "old");
    ASSERT_TRUE(sys_copy("source", "target"));
    EXPECT_EQ(read_text("target"), "new contents");
    struct stat info;
    stat("target", &info);
    EXPECT_EQ(info.st_mode & 0777, 0750u);
    EXPECT_EQ(info.st_mtime, 1000000000);
    ASSERT_TRUE(sys_copy("source", "fresh"));
    EXPECT_EQ(read_text("fresh"), "new contents");
    // Only the two copies and the source remain: no half-written file is left behind.
    int count = 0;
    DIR* directory = opendir(".");
    while (readdir(directory))
        ++count;
    closedir(directory);
    EXPECT_EQ(count, 5);
}

TEST_F(Files, FailingCopyLeavesSourceAndDestinationAlone)
{
    write_text("source", "precious");
    EXPECT_FALSE(sys_copy("source", "source"));
    EXPECT_FALSE(sys_copy("source", "./source"));
    EXPECT_EQ(read_text("source"), "precious");
    EXPECT_FALSE(sys_copy("missing", "target"));
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(ENOENT));
    mkdir("dir", 0777);
    EXPECT_FALSE(sys_copy("dir", "target"));
    EXPECT_FALSE(sys_copy("source", "dir"));
    write_text("locked", "read-only", 0444);
    EXPECT_FALSE(sys_copy("source", "locked"));
    EXPECT_EQ(read_text("locked"), "read-only");
    HandleOwner held(sys_open_output("held", false));
    EXPECT_FALSE(sys_copy("source", "held"));
    EXPECT_FALSE(sys_copy("held", "target"));
}

TEST_F(Files, MoveRenamesAndCrossesFileSystems)
{
    write_text("a", "moved");
    ASSERT_TRUE(sys_move("a", "b"));
    EXPECT_EQ(read_text("b"), "moved");
    EXPECT_FALSE(sys_move("a", "c"));
    struct stat here, shm;
    if (stat(".", &here) != 0 || stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system to move across";
    struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    utimensat(AT_FDCWD, "b", times, 0);
    std::string other = "/dev/shm/vrel-move-" + std::to_string(getpid());
    ASSERT_TRUE(sys_move("b", other.c_str()));
    EXPECT_EQ(access("b", F_OK), -1);
    EXPECT_EQ(read_text(other), "moved");
    stat(other.c_str(), &shm);
    EXPECT_EQ(shm.st_mtime, 1000000000);
    unlink(other.c_str());
}

TEST_F(Files, MoveNeverReplacesAnExistingDestination)
{
    write_text("a", "first");
    write_text("b", "second");
    mkdir("dir", 0777);
    EXPECT_FALSE(sys_move("a", "b"));
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(EEXIST));
    EXPECT_FALSE(sys_move("dir", "a"));
    ASSERT_EQ(symlink("nowhere", "dangling"), 0);
    EXPECT_FALSE(sys_move("a", "dangling"));
    EXPECT_EQ(read_text("a") + read_text("b"), "firstsecond");
    struct stat here, shm;
    if (stat(".", &here) != 0 || stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system to move across";
    std::string other = "/dev/shm/vrel-move-" + std::to_string(getpid());
    write_text(other, "there");
    EXPECT_FALSE(sys_move("a", other.c_str()));
    EXPECT_EQ(read_text(other), "there");
    EXPECT_EQ(read_text("a"), "first");
    unlink(other.c_str());
}

TEST_F(Files, ReadOnlyFileIsNotDeletedAndLinksGoAsThemselves)
{
    write_text("locked", "keep", 0444);
    EXPECT_FALSE(sys_delete_file("locked"));
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(EACCES));
    EXPECT_EQ(read_text("locked"), "keep");
    ASSERT_EQ(symlink("locked", "file-link"), 0);
    EXPECT_TRUE(sys_delete_file("file-link")); // a link has no permissions of its own
    mkdir("dir", 0777);
    ASSERT_EQ(symlink("dir", "dir-link"), 0);
    ASSERT_EQ(symlink("locked", "file-link"), 0);
    EXPECT_FALSE(sys_remove_directory("file-link"));
    EXPECT_TRUE(sys_remove_directory("dir-link"));
    EXPECT_EQ(access("dir-link", F_OK), -1);
    EXPECT_EQ(access("dir", F_OK), 0);
}

TEST_F(Files, PathOperationsReportTheSystemError)
{
    ASSERT_TRUE(sys_make_directory("dir"));
    EXPECT_FALSE(sys_make_directory("dir"));
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(EEXIST));
    write_text("dir/file", "");
    EXPECT_FALSE(sys_delete_file("dir"));
    EXPECT_FALSE(sys_remove_directory("dir"));
    EXPECT_TRUE(sys_delete_file("dir/file"));
    EXPECT_TRUE(sys_remove_directory("dir"));
    EXPECT_FALSE(sys_set_current_directory("dir"));
}

TEST_F(Files, CurrentDirectoryFitsOrGivesNothing)
{
    mkdir("sub", 0777);
    ASSERT_TRUE(sys_set_current_directory("sub"));
    char buffer[4096];
    EXPECT_EQ(sys_get_current_directory(buffer, sizeof buffer), path.size() + 4);
    EXPECT_EQ(buffer, path + "/sub");
    char small[8] = "x";
    EXPECT_EQ(sys_get_current_directory(small, sizeof small), 0u);
    EXPECT_STREQ(small, "");
}
