// Tests of the function store: the byte format of the definitions and the built-ins on it.
#include "exec/functions.h"

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{

std::string flushed_output()
{
    sys_flush_out();
    return testing::internal::GetCapturedStdout();
}

struct StoreFixture : ::testing::Test {
    FunctionStore store{};
    ShellContext ctx{};
    void SetUp() override
    {
        std::memset(&store, 0x5A, sizeof store);
        store.definitions[0] = 0;
        ctx.store = &store;
        ctx.options = OPT_TRACE;
        func_add_line(&ctx, "}"); // leaves no refused definition behind from another test
        ctx.options = OPT_TRACE;
    }
    // The definitions up to and including the terminator.
    std::string bytes()
    {
        const char* d = store.definitions;
        size_t n = 0;
        while (d[n])
            n += std::strlen(d + n) + 1 + std::strlen(d + n + std::strlen(d + n) + 1) + 1;
        return std::string(d, n + 1);
    }
    // Fills the store with one function "big" so that exactly `left` bytes stay free.
    void fill_leaving(size_t left)
    {
        size_t before = bytes().size();
        ASSERT_TRUE(func_define(&ctx, "big"));
        // "big", its NUL, the line feed, the line and its NUL come before the terminator.
        std::string line(DEFINITIONS_SIZE - before - 6 - left, 'x');
        func_add_line(&ctx, line.c_str());
        ASSERT_EQ(bytes().size(), DEFINITIONS_SIZE - left);
    }
    std::string listing()
    {
        char* words[] = {nullptr};
        testing::internal::CaptureStdout();
        EXPECT_EQ(builtin_function(words, &ctx), 0);
        return flushed_output();
    }
};

using namespace std::string_literals;

TEST_F(StoreFixture, DefineAppendsNameAndEmptyBody)
{
    EXPECT_TRUE(func_define(&ctx, "f"));
    EXPECT_EQ(bytes(), "f\0\0\0"s);
    EXPECT_TRUE(func_define(&ctx, "gg"));
    EXPECT_EQ(bytes(), "f\0\0gg\0\0\0"s);
}

TEST_F(StoreFixture, AddLineLeadsEachLineWithLineFeedAndDropsLeadingBlanks)
{
    func_define(&ctx, "f");
    func_add_line(&ctx, "  \techo a  ");
    func_add_line(&ctx, "echo b");
    EXPECT_EQ(bytes(), "f\0\necho a  \necho b\0\0"s);
    EXPECT_STREQ(func_find(&ctx, "f"), "\necho a  \necho b");
}

TEST_F(StoreFixture, AddLineIgnoresBracesAndCommentsAndEndsOnClosingBrace)
{
    func_define(&ctx, "f");
    ctx.options |= OPT_DEFINING;
    func_add_line(&ctx, "{");
    func_add_line(&ctx, "  # note");
    func_add_line(&ctx, "echo");
    EXPECT_TRUE(ctx.options & OPT_DEFINING);
    func_add_line(&ctx, " } rest");
    EXPECT_FALSE(ctx.options & OPT_DEFINING);
    EXPECT_EQ(bytes(), "f\0\necho\0\0"s);
}

TEST_F(StoreFixture, AddLineGoesToTheLastRecordOnly)
{
    func_define(&ctx, "f");
    func_add_line(&ctx, "one");
    func_define(&ctx, "g");
    func_add_line(&ctx, "two");
    EXPECT_EQ(bytes(), "f\0\none\0g\0\ntwo\0\0"s);
}

TEST_F(StoreFixture, AddLineOnEmptyStoreWritesNothing)
{
    func_add_line(&ctx, "echo lost");
    EXPECT_EQ(store.definitions[0], 0);
    EXPECT_EQ(store.definitions[1], 0x5A);
}

TEST_F(StoreFixture, FindMatchesWholeNameByteForByte)
{
    func_define(&ctx, "ab");
    func_add_line(&ctx, "x");
    EXPECT_EQ(func_find(&ctx, "a"), nullptr);
    EXPECT_EQ(func_find(&ctx, "AB"), nullptr);
    EXPECT_EQ(func_find(&ctx, "abc"), nullptr);
    EXPECT_EQ(func_find(&ctx, ""), nullptr);
    EXPECT_STREQ(func_find(&ctx, "ab"), "\nx");
}

TEST_F(StoreFixture, RemoveMovesLaterRecordsDown)
{
    func_define(&ctx, "f");
    func_add_line(&ctx, "1");
    func_define(&ctx, "g");
    func_add_line(&ctx, "2");
    func_define(&ctx, "h");
    func_remove(&ctx, "g");
    EXPECT_EQ(bytes(), "f\0\n1\0h\0\0\0"s);
    func_remove(&ctx, "nosuch");
    EXPECT_EQ(bytes(), "f\0\n1\0h\0\0\0"s);
    func_remove(&ctx, "h");
    func_remove(&ctx, "f");
    EXPECT_EQ(bytes(), "\0"s);
}

TEST_F(StoreFixture, RedefinitionMovesToTheEndWithEmptyBody)
{
    func_define(&ctx, "f");
    func_add_line(&ctx, "old");
    func_define(&ctx, "g");
    func_define(&ctx, "f");
    EXPECT_EQ(bytes(), "g\0\0f\0\0\0"s);
}

TEST_F(StoreFixture, EmptyNameDefinesNothing)
{
    func_define(&ctx, "f");
    EXPECT_FALSE(func_define(&ctx, ""));
    EXPECT_EQ(bytes(), "f\0\0\0"s);
}

TEST_F(StoreFixture, DefineFitsExactlyAndRefusesOneByteMore)
{
    fill_leaving(4); // "ab" needs its two bytes, its NUL, the body's NUL and a new terminator
    EXPECT_FALSE(func_define(&ctx, "abc"));
    EXPECT_EQ(bytes().size(), DEFINITIONS_SIZE - 4);
    EXPECT_TRUE(func_define(&ctx, "ab"));
    EXPECT_EQ(bytes().size(), DEFINITIONS_SIZE);
    EXPECT_EQ(store.history_ring[0], 0x5A);
}

TEST_F(StoreFixture, RefusedRedefinitionKeepsTheOldOne)
{
    func_define(&ctx, "f");
    func_add_line(&ctx, "keep");
    fill_leaving(0);
    std::string before = bytes();
    std::string name(20, 'n');
    EXPECT_FALSE(func_define(&ctx, name.c_str()));
    EXPECT_EQ(bytes(), before);
    EXPECT_TRUE(func_define(&ctx, "f")); // the old record's room is enough
    EXPECT_STREQ(func_find(&ctx, "f"), "");
}

TEST_F(StoreFixture, LineThatDoesNotFitDropsTheWholeDefinition)
{
    func_define(&ctx, "keep");
    func_add_line(&ctx, "echo kept");
    fill_leaving(20);
    func_define(&ctx, "f"); // takes 3 of the 20 bytes
    ctx.options |= OPT_DEFINING;
    func_add_line(&ctx, "echo 1");
    testing::internal::CaptureStdout();
    func_add_line(&ctx, std::string(15, 'y').c_str());
    EXPECT_EQ(flushed_output(), "f:function too long\n");
    EXPECT_EQ(func_find(&ctx, "f"), nullptr);
    std::string big_body = func_find(&ctx, "big");
    func_add_line(&ctx, "short"); // later lines of the refused definition go nowhere
    EXPECT_EQ(func_find(&ctx, "big"), big_body);
    EXPECT_STREQ(func_find(&ctx, "keep"), "\necho kept");
    func_add_line(&ctx, "}");
    EXPECT_FALSE(ctx.options & OPT_DEFINING);
    EXPECT_EQ(store.history_ring[0], 0x5A);
}

TEST_F(StoreFixture, LineFitsExactlyAtTheEndAndOneByteMoreIsRefused)
{
    fill_leaving(6);
    func_define(&ctx, "f"); // takes three; "ab" then needs its two bytes and one NUL more
    func_add_line(&ctx, "ab");
    EXPECT_STREQ(func_find(&ctx, "f"), "\nab");
    EXPECT_EQ(bytes().size(), DEFINITIONS_SIZE);
    func_remove(&ctx, "f");
    func_define(&ctx, "f");
    testing::internal::CaptureStdout();
    func_add_line(&ctx, "abc");
    EXPECT_EQ(flushed_output(), "f:function too long\n");
    EXPECT_EQ(bytes().size(), DEFINITIONS_SIZE - 6);
}

TEST(ResetKeyActions, FillsTheDefaultTable)
{
    FunctionStore store;
    std::memset(&store, 0x77, sizeof store);
    reset_key_actions(&store);
    uint8_t expected[KEY_ACTIONS_SIZE] = {};
    expected[5] = 0x12;
    expected[8] = 0x02;
    expected[9] = 0x03;
    expected[10] = 0x01;
    expected[13] = 0x01;
    expected[14] = 0x12;
    expected[16] = 0x11;
    expected[21] = 0x40;
    expected[23] = 0x11;
    EXPECT_EQ(std::memcmp(store.key_actions, expected, KEY_ACTIONS_SIZE), 0);
    EXPECT_EQ(static_cast<uint8_t>(store.history_ring[HISTORY_SIZE - 1]), 0x77);
}

TEST_F(StoreFixture, FunctionListsNamesAndTabIndentedLines)
{
    EXPECT_EQ(listing(), "");
    func_define(&ctx, "ll");
    func_add_line(&ctx, "ls -l");
    func_add_line(&ctx, "echo  done ");
    func_define(&ctx, "empty");
    EXPECT_EQ(listing(), "ll\n\tls -l\n\techo  done \nempty\n");
}

TEST_F(StoreFixture, FunctionWithBodyWordDefinesOneLine)
{
    char name[] = "f", body[] = "  echo $1", extra[] = "ignored";
    char* words[] = {name, body, extra, nullptr};
    EXPECT_EQ(builtin_function(words, &ctx), 0);
    EXPECT_FALSE(ctx.options & OPT_DEFINING);
    EXPECT_EQ(bytes(), "f\0\necho $1\0\0"s);
}

TEST_F(StoreFixture, FunctionWithEmptyNameFailsAndCollectsNothing)
{
    func_define(&ctx, "f");
    char empty[] = "", body[] = "echo";
    char* words[] = {empty, nullptr};
    EXPECT_EQ(builtin_function(words, &ctx), -1);
    EXPECT_FALSE(ctx.options & OPT_DEFINING);
    char* with_body[] = {empty, body, nullptr};
    EXPECT_EQ(builtin_function(with_body, &ctx), -1);
    EXPECT_EQ(bytes(), "f\0\0\0"s);
}

TEST_F(StoreFixture, FunctionThatDoesNotFitFailsAndChangesNothing)
{
    func_define(&ctx, "f");
    func_add_line(&ctx, "old");
    fill_leaving(10);
    std::string before = bytes();
    char name[] = "f", body[] = "echo a much longer body";
    char* words[] = {name, body, nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(builtin_function(words, &ctx), -1);
    EXPECT_EQ(flushed_output(), "f:function too long\n");
    EXPECT_EQ(bytes(), before);
    EXPECT_FALSE(ctx.options & OPT_DEFINING);
}

} // namespace
