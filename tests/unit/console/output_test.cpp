// Tests of the output operations and the interrupt check.
#include "console_fixture.h"

#include <string>

using OutputTest = ConsoleTest;

TEST_F(OutputTest, CarriageReturnsAreDropped)
{
    out_str("a\r\nb");
    out_str("\r");
    out_char('\r');
    out_char('c');
    out_newline();
    EXPECT_EQ(take_output(), "a\nbc\n");
}

TEST_F(OutputTest, HighBytesPassUnchanged)
{
    out_str("\x80\xe0\xff");
    out_char('\xfe');
    EXPECT_EQ(take_output(), "\x80\xe0\xff\xfe");
}

TEST_F(OutputTest, EraseWritesOneSequencePerCell)
{
    out_erase(0);
    EXPECT_EQ(take_output(), "");
    out_erase(2);
    EXPECT_EQ(take_output(), "\b \b\b \b");
}

TEST_F(OutputTest, ErrorLineIsSubjectMessageLineEnd)
{
    out_error("a.txt", ":rm error");
    EXPECT_EQ(take_output(), "a.txt:rm error\n");
}

TEST_F(OutputTest, FormattedTextIsCutAt1024Bytes)
{
    std::string long_text(1500, 'a');
    out_fmt("%s|", long_text.c_str());
    EXPECT_EQ(take_output(), std::string(1024, 'a'));
    out_fmt("%d\t%s\r\n", 12, "dir");
    EXPECT_EQ(take_output(), "12\tdir\n");
}

TEST_F(OutputTest, FormattedLineIsCutAt511Bytes)
{
    std::string long_text(600, 'b');
    out_fmt_line("%s", long_text.c_str());
    EXPECT_EQ(take_output(), std::string(511, 'b') + "\n");
    out_fmt_line("%s:command error(%d)", "nosuch", 2);
    EXPECT_EQ(take_output(), "nosuch:command error(2)\n");
}

TEST_F(OutputTest, TraceOnlyWithTheOption)
{
    ctx.options = OPT_TRACE;
    out_trace(&ctx, "mv %s %s", "a", "b");
    EXPECT_EQ(take_output(), "mv a b\n");
    ctx.options = 0;
    interrupted = 1; // no check either while tracing is off
    out_trace(&ctx, "rm %s", "a");
    EXPECT_EQ(take_output(), "");
}

TEST_F(OutputTest, PendingInterruptThrowsAndWritesNothing)
{
    interrupted = 1;
    testing::internal::CaptureStderr();
    EXPECT_THROW(out_str("text"), Interrupt);
    std::string notice = testing::internal::GetCapturedStderr();
    std::erase(notice, '\r'); // the capture reads a text file on Windows
    EXPECT_EQ(notice, "^C\n");
    EXPECT_EQ(take_output(), "");
    out_char('x'); // a single byte is never checked
    EXPECT_EQ(take_output(), "x");
}

// An output sink that raises an interrupt as soon as something is written.
static void capture_then_interrupt(const char* data, size_t size)
{
    captured_output.append(data, size);
    interrupted = 1;
}

TEST_F(OutputTest, InterruptIsSeenBetweenStringsNotWithinOne)
{
    output_sink = capture_then_interrupt;
    out_erase(3); // the cells are rubbed out in one write
    EXPECT_EQ(take_output(), "\b \b\b \b\b \b");
    interrupted = 0;
    testing::internal::CaptureStderr();
    EXPECT_THROW(
        {
            out_str("a\rb\rc"); // three runs: the string is finished all the same
            out_str("d");
        },
        Interrupt);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(take_output(), "abc");
}
