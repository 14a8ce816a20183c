// Tests of the line reader and the script built-ins.
#include "core/open_levels.h"
#include "core/run_line.h"
#include "core/script.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Each line as reader_line hands it out, marked with how it ended: "\n" at its line feed,
// nothing at the end of the file, "+" where it was cut.
static std::vector<std::string> read_lines(const std::string& content, size_t max)
{
    // In the test folder, never the working directory (which may be the source tree).
    std::string path = ::testing::TempDir() + "vrel_reader.txt";
    write_file(path, content);
    LineReader reader;
    EXPECT_EQ(reader_open(&reader, path.c_str()), 1);
    std::vector<std::string> lines;
    std::vector<char> out(max + 1);
    while (int n = reader_line(&reader, out.data(), max)) {
        EXPECT_EQ(static_cast<size_t>(n), std::string(out.data()).size() + 1);
        const char* mark = reader.ending == READER_FEED  ? "\n"
                           : reader.ending == READER_CUT ? "+"
                                                         : "";
        lines.push_back(out.data() + std::string(mark));
    }
    return lines;
}

using Lines = std::vector<std::string>;

TEST(ReaderLine, SplitsAtLineFeedsAndDropsCarriageReturns)
{
    EXPECT_EQ(read_lines("a\r\n\nb c\n", 1024), (Lines{"a\n", "\n", "b c\n"}));
    EXPECT_EQ(read_lines("one\ntwo", 1024), (Lines{"one\n", "two"})); // a last line counts
    EXPECT_EQ(read_lines("x\r", 1024), (Lines{"x"}));
    EXPECT_EQ(read_lines("", 1024), (Lines{}));
}

TEST(ReaderLine, LongLinesArriveCutInPiecesOfMax)
{
    EXPECT_EQ(read_lines("abcdefg\n", 3), (Lines{"abc+", "def+", "g\n"}));
    EXPECT_EQ(read_lines("abcd", 3), (Lines{"abc+", "d"}));
    // Exactly max bytes is a whole line; carriage returns do not count against max.
    EXPECT_EQ(read_lines("abc\nxyz", 3), (Lines{"abc\n", "xyz"}));
    EXPECT_EQ(read_lines("a\r\rbc\r\n", 3), (Lines{"abc\n"}));
}

TEST(ReaderLine, SkipPassesOverTheRestOfACutLine)
{
    write_file("reader.txt", "too long\r\nnew\nlong again");
    LineReader reader;
    ASSERT_EQ(reader_open(&reader, "reader.txt"), 1);
    char out[4];
    std::vector<std::string> kept;
    while (reader_line(&reader, out, 3)) {
        if (reader.ending == READER_CUT)
            reader_skip_line(&reader);
        else
            kept.push_back(out);
    }
    EXPECT_EQ(kept, Lines{"new"});
}

TEST(ReaderLine, CrossesBlockBoundaries)
{
    std::string big(20000, 'x');
    EXPECT_EQ(read_lines(big + "\nend\n", 30000), (Lines{big + "\n", "end\n"}));
    // A line that fills the first block whole finds its line feed in the next one.
    std::string block(READER_BUFFER_SIZE, 'y');
    EXPECT_EQ(read_lines(block + "\nz", READER_BUFFER_SIZE), (Lines{block + "\n", "z"}));
}

TEST(ReaderOpen, FailsForAMissingFile)
{
    LineReader reader;
    EXPECT_EQ(reader_open(&reader, "no-such-file.txt"), 0);
}

TEST(Shift, MovesTheInnermostFrame)
{
    ShellContext* ctx = fresh_context();
    char* no_words[] = {nullptr};
    EXPECT_EQ(builtin_shift(no_words, ctx), 1); // interactive level
    char a[] = "s", b[] = "x";
    char* frame[] = {a, b, nullptr};
    {
        FrameGuard guard(ctx, frame);
        EXPECT_EQ(builtin_shift(no_words, ctx), 0);
        EXPECT_EQ(ctx->frames[1][0], b);
        EXPECT_EQ(builtin_shift(no_words, ctx), 0);
        EXPECT_EQ(builtin_shift(no_words, ctx), 1);
    }
    EXPECT_EQ(ctx->frame_level, 0);
}

TEST(FrameGuard, RefusesMoreThanNineNestedFrames)
{
    ShellContext* ctx = fresh_context();
    char name[] = "f";
    char* words[] = {name, nullptr};
    {
        std::vector<std::unique_ptr<FrameGuard>> guards;
        for (int i = 1; i < FRAME_LEVELS; ++i) {
            guards.push_back(std::make_unique<FrameGuard>(ctx, words));
            EXPECT_TRUE(guards.back()->opened);
        }
        FrameGuard one_too_many(ctx, words);
        EXPECT_FALSE(one_too_many.opened);
        EXPECT_EQ(ctx->frame_level, FRAME_LEVELS - 1);
    }
    EXPECT_EQ(ctx->frame_level, 0);
}

// An interrupt abandons a script through its destructors: what it opened is closed, and no
// message is written while the interrupt unwinds (writing would throw a second time).
TEST(OpenLevels, AnInterruptedTextClosesWhatItOpenedWithoutAWord)
{
    ShellContext* ctx = fresh_context();
    std::string out = capture_output([&] {
        try {
            OpenLevels levels(ctx, "s.vsh");
            EXPECT_EQ(run_line("if true; function f", ctx), 0);
            ASSERT_EQ(ctx->if_level, 1);
            throw Interrupt{};
        } catch (const Interrupt&) {
        }
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(ctx->if_level, 0);
    EXPECT_FALSE(ctx->options & OPT_DEFINING);
}
