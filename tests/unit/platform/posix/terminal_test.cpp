// Tests of keys from a terminal and of plain lines from other standard input.
#include "platform/platform.h"
#include "scratch_dir.h"

#include <fcntl.h>
#include <termios.h>
#include <vector>

// Puts `fd` in place of standard input for one test, and the real one back afterwards.
struct StandardInput {
    int saved = dup(STDIN_FILENO);
    explicit StandardInput(int fd)
    {
        dup2(fd, STDIN_FILENO);
        close(fd);
    }
    ~StandardInput()
    {
        sys_restore_terminal();
        dup2(saved, STDIN_FILENO);
        close(saved);
    }
};

static int pipe_holding(const std::string& text)
{
    int ends[2];
    EXPECT_EQ(pipe(ends), 0);
    EXPECT_EQ(write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(ends[1]);
    return ends[0];
}

static std::vector<std::string> all_lines(size_t size)
{
    std::vector<std::string> lines;
    std::vector<char> line(size);
    while (sys_read_input_line(line.data(), size) >= 0)
        lines.push_back(line.data());
    return lines;
}

using Lines = std::vector<std::string>;

TEST(SysReadInputLine, PlainLinesFromAPipe)
{
    StandardInput input(pipe_holding("one\r\ntab\there\b\n\nlast"));
    EXPECT_EQ(all_lines(64), (Lines{"one", "tab\there\b", "", "last"}));
    char line[4];
    EXPECT_EQ(sys_read_input_line(line, sizeof line), -1);
}

TEST(SysReadInputLine, LongLineIsCutAndTheNextOneIsWhole)
{
    StandardInput input(pipe_holding("abcdef\r\nxy\n"));
    char line[4];
    EXPECT_EQ(sys_read_input_line(line, sizeof line), 6); // the whole line's length: it was cut
    EXPECT_STREQ(line, "abc");
    EXPECT_EQ(all_lines(4), (Lines{"xy"}));
}

TEST(SysReadInputLine, PushedBackKeyStartsTheLine)
{
    StandardInput input(pipe_holding("bc\n"));
    sys_unread_key('a');
    EXPECT_EQ(all_lines(8), Lines{"abc"});
}

class InputLeftForPrograms : public ScratchDir
{
};

TEST_F(InputLeftForPrograms, ProgramReadsOnAfterTheShellsLine)
{
    for (bool from_file : {true, false}) {
        write_text("script", "first\nsecond\n");
        StandardInput input(from_file ? open("script", O_RDONLY) : pipe_holding("first\nsecond\n"));
        char line[16];
        EXPECT_EQ(sys_read_input_line(line, sizeof line), 5);
        HandleOwner out(sys_open_output("rest", false));
        uint32_t code = 0;
        EXPECT_EQ(sys_start_program("cat", SYS_NO_HANDLE, out.handle, out.handle, true, &code), 0u);
        EXPECT_EQ(read_text("rest"), "second\n") << (from_file ? "file" : "pipe");
    }
}

TEST(SysReadKey, BytesOfOtherInputThenTheEnd)
{
    StandardInput input(pipe_holding("k\x1b[A"));
    EXPECT_TRUE(sys_key_waiting());
    EXPECT_EQ(sys_read_key(), 'k');
    sys_unread_key('k');
    EXPECT_TRUE(sys_key_waiting());
    EXPECT_EQ(sys_read_key(), 'k');
    EXPECT_EQ(sys_read_key(), 27); // no key decoding outside a terminal
    EXPECT_EQ(sys_read_key(), '[');
    EXPECT_EQ(sys_read_key(), 'A');
    EXPECT_EQ(sys_read_key(), -1);
}

class TerminalKeys : public testing::Test
{
  protected:
    int master = -1;
    StandardInput* input = nullptr;
    struct termios original;

    void SetUp() override
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
        int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
        ASSERT_GE(terminal, 0);
        tcgetattr(terminal, &original);
        input = new StandardInput(terminal);
        // Raw mode first: the line discipline would act on the bytes in its normal mode.
        EXPECT_FALSE(sys_key_waiting());
    }
    void TearDown() override
    {
        delete input;
        if (master >= 0)
            close(master);
    }
    std::vector<int> keys_for(const std::string& typed, size_t count)
    {
        EXPECT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
        std::vector<int> keys;
        while (keys.size() < count)
            keys.push_back(sys_read_key());
        return keys;
    }
};

using Keys = std::vector<int>;

TEST_F(TerminalKeys, EscapeSequencesArriveAsTwoCodes)
{
    EXPECT_EQ(keys_for("\x1b[A\x1b[B\x1b[C\x1b[D\x1b[H\x1bOF\x1b[1~\x1b[4~", 16),
              (Keys{224, 72, 224, 80, 224, 77, 224, 75, 224, 71, 224, 79, 224, 71, 224, 79}));
    EXPECT_EQ(keys_for("\x1b[2~\x1b[3~\x1b[5~\x1b[6~\x1b[1;5C\x1b[1;5D\x1b[1;2C", 14),
              (Keys{224, 82, 224, 83, 224, 73, 224, 81, 224, 116, 224, 115, 224, 77}));
    EXPECT_EQ(keys_for("\x1bOP\x1bOS\x1b[15~\x1b[17~\x1b[21~\x1b[11~\x1b[[B", 14),
              (Keys{0, 59, 0, 62, 0, 63, 0, 64, 0, 68, 0, 59, 0, 60}));
}

TEST_F(TerminalKeys, ControlKeysEraseAndUnknownSequences)
{
    EXPECT_EQ(keys_for("\x03\x7f\r\x1b[99~\x1b[Zq", 4), (Keys{3, 8, 13, 'q'}));
    EXPECT_EQ(keys_for("\x1b", 1), Keys{27}); // nothing follows: the Escape key itself
    EXPECT_EQ(keys_for("\x1bx\x1b"
                       "b\x1b"
                       "F\x1b\r",
                       8),
              (Keys{0, SCAN_ALT_KEY, 0, SCAN_ALT_B, 0, SCAN_ALT_F, 0, SCAN_ALT_ENTER}));
}

TEST_F(TerminalKeys, RawWhileReadingAndRestoredAfter)
{
    keys_for("a", 1);
    struct termios mode;
    tcgetattr(STDIN_FILENO, &mode);
    EXPECT_EQ(mode.c_lflag & (ECHO | ICANON | ISIG), 0u);
    EXPECT_EQ(mode.c_oflag, original.c_oflag);
    sys_restore_terminal();
    tcgetattr(STDIN_FILENO, &mode);
    EXPECT_EQ(mode.c_lflag, original.c_lflag);
    EXPECT_EQ(mode.c_iflag, original.c_iflag);
}

TEST_F(TerminalKeys, TerminalThatWentAwayEndsInput)
{
    close(master);
    master = -1;
    EXPECT_EQ(sys_read_key(), -1);
}
