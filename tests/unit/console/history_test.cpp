// Tests of the history ring and of browsing it.
#include "console/history.h"

#include "console_fixture.h"

#include <cstring>
#include <string>
#include <vector>

using HistoryTest = ConsoleTest;

// Every entry, most recent first.
static std::vector<std::string> entries(ShellContext* ctx)
{
    std::vector<std::string> all;
    char line[HISTORY_LINE_SIZE];
    for (int k = 1; history_get(ctx, k, line); ++k)
        all.push_back(line);
    return all;
}

TEST_F(HistoryTest, GetReturnsMostRecentFirst)
{
    history_add(&ctx, "ls a");
    history_add(&ctx, "cd b");
    history_add(&ctx, "ls a"); // the same line twice is two entries
    EXPECT_EQ(entries(&ctx), (std::vector<std::string>{"ls a", "cd b", "ls a"}));
    char line[HISTORY_LINE_SIZE] = "untouched";
    EXPECT_EQ(history_get(&ctx, 0, line), 0);
    EXPECT_EQ(history_get(&ctx, -1, line), 0);
    EXPECT_EQ(history_get(&ctx, 4, line), 0);
}

TEST_F(HistoryTest, EmptyLineIsNotStored)
{
    history_add(&ctx, "");
    EXPECT_EQ(ctx.store->history_next, 0u);
    EXPECT_TRUE(entries(&ctx).empty());
}

TEST_F(HistoryTest, OldestEntriesAreDroppedAcrossTheRingEnd)
{
    // 100 entries of 31 bytes with their NUL run round the ring three times.
    for (int i = 0; i < 100; ++i) {
        std::string line = "entry " + std::to_string(1000 + i) + std::string(20, 'x');
        history_add(&ctx, line.c_str());
    }
    FunctionStore* store = ctx.store;
    EXPECT_EQ(store->history_next, 3100u);
    EXPECT_LE(store->history_next - store->history_oldest, 1022u);
    std::vector<std::string> all = entries(&ctx);
    ASSERT_EQ(all.size(), 32u); // 32 entries of 31 bytes leave 32 free; one more needs 33
    for (size_t k = 0; k < all.size(); ++k)
        EXPECT_EQ(all[k], "entry " + std::to_string(1099 - k) + std::string(20, 'x'));
}

TEST_F(HistoryTest, LongestLineFillsTheRingAlone)
{
    history_add(&ctx, "first");
    history_add(&ctx, "second");
    std::string longest(1021, 'L');
    history_add(&ctx, longest.c_str());
    EXPECT_EQ(entries(&ctx), std::vector<std::string>{longest});
    history_add(&ctx, "after");
    EXPECT_EQ(entries(&ctx), std::vector<std::string>{"after"});
}

TEST_F(HistoryTest, LineOf1022BytesIsRefused)
{
    history_add(&ctx, "kept");
    std::string too_long(1022, 'L');
    history_add(&ctx, too_long.c_str());
    EXPECT_EQ(entries(&ctx), std::vector<std::string>{"kept"});
    EXPECT_EQ(ctx.store->history_next - ctx.store->history_oldest, 5u);
}

TEST_F(HistoryTest, RunningIndicesWrapAt32Bits)
{
    ctx.store->history_oldest = 0xFFFFFFF0u;
    ctx.store->history_next = 0xFFFFFFF0u;
    history_add(&ctx, "before the wrap");
    history_add(&ctx, "after the wrap");
    EXPECT_EQ(ctx.store->history_next, 0xFFFFFFF0u + 31u);
    EXPECT_EQ(entries(&ctx), (std::vector<std::string>{"after the wrap", "before the wrap"}));
}

class HistoryStepTest : public ConsoleTest
{
  protected:
    HistoryBrowse browse;
    char line[HISTORY_LINE_SIZE];
    void SetUp() override
    {
        ConsoleTest::SetUp();
        history_add(&ctx, "ls a");
        history_add(&ctx, "cd b");
        history_add(&ctx, "ls c");
        history_reset(&browse);
    }
    std::string step(int direction)
    {
        history_step(&ctx, &browse, direction, line);
        return line;
    }
};

TEST_F(HistoryStepTest, PrefixSearchComesBackToTheTypedText)
{
    std::strcpy(line, "ls");
    EXPECT_EQ(step(+1), "ls c");
    EXPECT_EQ(step(+1), "ls a");
    EXPECT_EQ(step(+1), "ls");
    EXPECT_EQ(browse.index, 0);
    EXPECT_EQ(step(-1), "ls");
}

TEST_F(HistoryStepTest, EmptyTextBrowsesEveryEntry)
{
    line[0] = 0;
    EXPECT_EQ(step(+1), "ls c");
    EXPECT_EQ(step(+1), "cd b");
    EXPECT_EQ(step(-1), "ls c");
    EXPECT_EQ(step(-1), "");
    EXPECT_EQ(browse.index, 0);
}
