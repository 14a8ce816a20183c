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
    // Entries of 1000 bytes with their NUL run round the ring more than twice.
    const int count = 5000;
    for (int i = 0; i < count; ++i) {
        std::string line = "entry " + std::to_string(10000 + i) + std::string(988, 'x');
        history_add(&ctx, line.c_str());
    }
    FunctionStore* store = ctx.store;
    EXPECT_EQ(store->history_next, 1000u * count);
    EXPECT_LE(store->history_next - store->history_oldest, HISTORY_RING_SIZE - 2);
    std::vector<std::string> all = entries(&ctx);
    ASSERT_EQ(all.size(), (HISTORY_RING_SIZE - 2) / 1000); // one more would leave no 2 bytes
    for (size_t k = 0; k < all.size(); ++k)
        EXPECT_EQ(all[k], "entry " + std::to_string(10000 + count - 1 - k) + std::string(988, 'x'));
}

TEST_F(HistoryTest, TenThousandLinesOf200BytesAreAllKept)
{
    for (int i = 0; i < 10000; ++i)
        history_add(&ctx, (std::to_string(i) + std::string(195, 'y')).c_str());
    char line[HISTORY_LINE_SIZE];
    ASSERT_EQ(history_get(&ctx, 10000, line), 1);
    EXPECT_EQ(std::string(line), "0" + std::string(195, 'y'));
}

TEST_F(HistoryTest, LinesUpTo1023BytesAreKeptLongerOnesRefused)
{
    history_add(&ctx, "kept");
    std::string longest(1023, 'L');
    history_add(&ctx, longest.c_str());
    history_add(&ctx, std::string(1024, 'M').c_str());
    EXPECT_EQ(entries(&ctx), (std::vector<std::string>{longest, "kept"}));
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
