// Tests of the line reader and the script built-ins.
#include "core/run_line.h"
#include "core/script.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
        lines.emplace_back(out.data());
    }
    return lines;
}

TEST(ReaderLine, SplitsAtLineFeedsAndDropsCarriageReturns)
{
    using L = std::vector<std::string>;
    EXPECT_EQ(read_lines("a\r\n\nb c\n", 1024), (L{"a", "", "b c"}));
    EXPECT_EQ(read_lines("one\ntwo", 1024), (L{"one"})); // no line feed: never delivered
    EXPECT_EQ(read_lines("", 1024), (L{}));
}

TEST(ReaderLine, LongLinesArriveInPiecesOfMax)
{
    using L = std::vector<std::string>;
    EXPECT_EQ(read_lines("abcdefg\n", 3), (L{"abc", "def", "g"}));
    // Exactly max bytes: the line feed is left over and makes an empty line.
    EXPECT_EQ(read_lines("abc\n", 3), (L{"abc", ""}));
    // Carriage returns count against max although they are not stored.
    EXPECT_EQ(read_lines("a\r\rbc\n", 3), (L{"a", "bc"}));
}

TEST(ReaderLine, CrossesBlockBoundaries)
{
    std::string big(20000, 'x');
    auto lines = read_lines(big + "\nend\n", 30000);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], big);
    EXPECT_EQ(lines[1], "end");
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
