// Tests of standard output as a text stream and of standard input that is not a console.
#include "win32_scratch.h"

// Puts a file in place of one standard handle for the life of the test.
struct StandardHandle {
    DWORD which;
    HANDLE saved;
    HANDLE file;
    StandardHandle(DWORD std_handle, const char* name, DWORD creation)
        : which(std_handle), saved(GetStdHandle(std_handle))
    {
        file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, creation, 0, nullptr);
        SetStdHandle(which, file);
    }
    ~StandardHandle()
    {
        sys_flush_out();
        SetStdHandle(which, saved);
        CloseHandle(file);
    }
};

using SysWriteOut = Win32Scratch;
using SysWriteError = Win32Scratch;
using SysReadInputLine = Win32Scratch;
using SysReadKey = Win32Scratch;

TEST_F(SysWriteOut, LineFeedsBecomeCrLfOnceAndWaitForTheFlush)
{
    {
        StandardHandle out(STD_OUTPUT_HANDLE, "out.txt", CREATE_ALWAYS);
        const char text[] = "a\nb\r\nc\r";
        sys_write_out(text, sizeof text - 1);
        sys_write_out("\n", 1);
        EXPECT_EQ(file_text("out.txt"), "");
        sys_flush_out();
        EXPECT_EQ(file_text("out.txt"), "a\r\nb\r\nc\r\n");
    }
    std::string long_text(10000, '\n');
    {
        StandardHandle out(STD_OUTPUT_HANDLE, "long.txt", CREATE_ALWAYS);
        sys_write_out(long_text.data(), long_text.size());
    }
    EXPECT_EQ(file_text("long.txt").size(), 20000u);
}

TEST_F(SysWriteOut, KeepsTheFirstFailedWriteUntilAskedAndKnowsAGoneReader)
{
    HANDLE read_end, write_end;
    ASSERT_TRUE(CreatePipe(&read_end, &write_end, nullptr, 0));
    CloseHandle(read_end);
    HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, write_end);
    sys_write_out("x\n", 2);
    sys_flush_out();
    uint32_t first = sys_output_failure();
    uint32_t asked = sys_output_failure();
    SetStdHandle(STD_OUTPUT_HANDLE, saved);
    CloseHandle(write_end);
    EXPECT_TRUE(sys_reader_gone(first)) << first;
    EXPECT_EQ(asked, 0u);
    EXPECT_FALSE(sys_reader_gone(ERROR_DISK_FULL));
}

TEST_F(SysWriteError, ComesAfterWhatWasWrittenBeforeIt)
{
    StandardHandle out(STD_OUTPUT_HANDLE, "both.txt", CREATE_ALWAYS);
    HANDLE saved_error = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_ERROR_HANDLE, out.file);
    sys_write_out("out\n", 4);
    sys_write_error("^C\r\n");
    sys_write_error("lone\n");
    SetStdHandle(STD_ERROR_HANDLE, saved_error);
    EXPECT_EQ(file_text("both.txt"), "out\r\n^C\r\nlone\r\n");
}

TEST_F(SysReadInputLine, GivesPlainLinesThenTheEnd)
{
    put_file("in.txt", "one\r\n\tt\rb\b\r\r\n\nlast\r"); // only a CR before LF goes
    StandardHandle in(STD_INPUT_HANDLE, "in.txt", OPEN_EXISTING);
    EXPECT_FALSE(sys_input_is_terminal());
    char line[16];
    EXPECT_EQ(sys_read_input_line(line, sizeof line), 3);
    EXPECT_STREQ(line, "one");
    EXPECT_EQ(sys_read_input_line(line, sizeof line), 6);
    EXPECT_STREQ(line, "\tt\rb\b\r");
    EXPECT_EQ(sys_read_input_line(line, sizeof line), 0);
    EXPECT_EQ(sys_read_input_line(line, sizeof line), 5);
    EXPECT_STREQ(line, "last\r");
    EXPECT_EQ(sys_read_input_line(line, sizeof line), -1);
}

TEST_F(SysReadInputLine, CutsALongLineAndLeavesTheRestOfTheFileUnread)
{
    put_file("in.txt", "abcdefgh\nnext\nrest");
    StandardHandle in(STD_INPUT_HANDLE, "in.txt", OPEN_EXISTING);
    char line[4];
    // The length is the whole line's, so the caller can tell that it was cut.
    EXPECT_EQ(sys_read_input_line(line, sizeof line), 8);
    EXPECT_STREQ(line, "abc");
    EXPECT_EQ(SetFilePointer(in.file, 0, nullptr, FILE_CURRENT), 9u);
    EXPECT_EQ(sys_read_input_line(line, sizeof line), 4);
    EXPECT_STREQ(line, "nex");
    // A program started now would read on from here.
    char rest[8] = {};
    DWORD got = 0;
    ReadFile(in.file, rest, sizeof rest, &got, nullptr);
    EXPECT_STREQ(rest, "rest");
}

TEST_F(SysReadKey, GivesBytesAndPushedBackKeysThenTheEnd)
{
    put_file("in.txt", "ab");
    StandardHandle in(STD_INPUT_HANDLE, "in.txt", OPEN_EXISTING);
    EXPECT_EQ(sys_read_key(), 'a');
    sys_unread_key('a');
    EXPECT_TRUE(sys_key_waiting());
    EXPECT_EQ(sys_read_key(), 'a');
    EXPECT_TRUE(sys_key_waiting());
    EXPECT_EQ(sys_read_key(), 'b');
    EXPECT_FALSE(sys_key_waiting());
    EXPECT_EQ(sys_read_key(), -1);
}

TEST(SysKeyWaiting, NeverWaitsOnAnEmptyPipe)
{
    SysHandle reader, writer;
    ASSERT_EQ(sys_make_pipe(&reader, &writer), 0u);
    HandleOwner read_end(reader), write_end(writer);
    HANDLE saved = GetStdHandle(STD_INPUT_HANDLE);
    SetStdHandle(STD_INPUT_HANDLE, reinterpret_cast<HANDLE>(reader));
    EXPECT_FALSE(sys_key_waiting());
    ASSERT_TRUE(sys_write(writer, "q", 1));
    EXPECT_TRUE(sys_key_waiting());
    EXPECT_EQ(sys_read_key(), 'q');
    EXPECT_FALSE(sys_key_waiting());
    SetStdHandle(STD_INPUT_HANDLE, saved);
}
