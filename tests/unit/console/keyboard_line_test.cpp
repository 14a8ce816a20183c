// Tests of the $< line input with its bindable control keys, driven by scripted keys.
#include "console/history.h"
#include "console/line_input.h"
#include "exec/functions.h"

#include "console_fixture.h"
#include "test_support.h"

#include <filesystem>
#include <fstream>
#include <string>

constexpr int ENTER = 13;
constexpr int PREFIX = 224;

static std::string erased(int cells)
{
    std::string out;
    for (int i = 0; i < cells; ++i)
        out += "\b \b";
    return out;
}

class KeyboardLineTest : public ConsoleTest
{
  protected:
    char line[KEYBOARD_LINE_SIZE];

    std::string read_line()
    {
        read_keyboard_line(line, &ctx);
        return line;
    }
    void bind(int key, uint8_t action) { ctx.store->key_actions[key] = action; }
};

TEST_F(KeyboardLineTest, TypedBytesAreEchoedAndTheLineStored)
{
    type("hi there");
    press({ENTER});
    EXPECT_EQ(read_line(), "hi there");
    EXPECT_EQ(take_output(), "hi there\n");
    char entry[HISTORY_LINE_SIZE];
    ASSERT_EQ(history_get(&ctx, 1, entry), 1);
    EXPECT_STREQ(entry, "hi there");
}

TEST_F(KeyboardLineTest, RubOutAndEraseLine)
{
    type("abc");
    press({8, 'd', 21, 'e', 8, 8, 10});
    EXPECT_EQ(read_line(), "");
    EXPECT_EQ(take_output(), "abc" + erased(1) + "d" + erased(3) + "e" + erased(1) + "\n");
}

TEST_F(KeyboardLineTest, RubOutTakesAWholeCharacter)
{
    CodePageScope code_page(CODE_PAGE_UTF8);
    type("a\xc3\xa9\xe6\x97\xa5"); // a, e acute, a wide ideograph
    press({CLEAR_OUTPUT, 8, 8, ENTER});
    EXPECT_EQ(read_line(), "a");
    EXPECT_EQ(take_output(), erased(2) + erased(1) + "\n");
}

TEST_F(KeyboardLineTest, DefaultHistoryKeys)
{
    history_add(&ctx, "one");
    history_add(&ctx, "two");
    history_add(&ctx, "three");
    // Up, Ctrl-P and Ctrl-W go back; Ctrl-E, Ctrl-N and Down forward, to the empty saved text.
    press({PREFIX, 72, 16, 23, CLEAR_OUTPUT, 5, 14, PREFIX, 80, 16, ENTER});
    EXPECT_EQ(read_line(), "three");
    EXPECT_EQ(take_output(),
              erased(3) + "two" + erased(3) + "three" + erased(5) + "" + "three" + "\n");
}

TEST_F(KeyboardLineTest, HistoryPrefixSearch)
{
    history_add(&ctx, "ls a");
    history_add(&ctx, "cd b");
    history_add(&ctx, "ls c");
    type("ls");
    press({16, 16, 16, ENTER});
    EXPECT_EQ(read_line(), "ls");
    EXPECT_EQ(take_output(), "ls" + erased(2) + "ls c" + erased(4) + "ls a" + erased(4) + "ls\n");
}

TEST_F(KeyboardLineTest, OnlyActionsWithBit0x10KeepTheHistoryPosition)
{
    history_add(&ctx, "one");
    history_add(&ctx, "two");
    bind(1, KEY_REPRINT);
    press({16, 1, 16}); // ended by the end of input, so nothing is stored
    // The reprint set the index back to 0, so "two" became the saved text of a new search.
    EXPECT_EQ(read_line(), "two");
    bind(1, KEY_REPRINT | KEY_KEEP_HISTORY);
    press({16, 1, 16, ENTER});
    EXPECT_EQ(read_line(), "one");
}

TEST_F(KeyboardLineTest, CombinedActionBytes)
{
    bind(1, 0x21); // reprint; the code 33 does nothing
    bind(2, 0x61); // reprint, then erase
    type("ab");
    press({1, 'c', 2, 'd', ENTER});
    EXPECT_EQ(read_line(), "d");
    EXPECT_EQ(take_output(), "ab" + std::string("ab") + "c" + "abc" + erased(3) + "d\n");
}

TEST_F(KeyboardLineTest, UnboundKeysAndFunctionKeys)
{
    type("a");
    press({3, 1, 0, 59, PREFIX, 75, PREFIX, 99, ENTER});
    EXPECT_EQ(read_line(), "a"); // F1 is 0 then 59: both are ignored
    EXPECT_EQ(take_output(), "a\n");
}

TEST_F(KeyboardLineTest, InsertUnderscoreAppendsTheVariable)
{
    bind(2, KEY_INSERT_UNDERSCORE);
    ASSERT_TRUE(sys_set_env("_", "last word"));
    type("x ");
    press({2, ENTER});
    std::string text = read_line();
    sys_set_env("_", nullptr);
    EXPECT_EQ(text, "x last word");
    EXPECT_EQ(take_output(), "x last word\n");
    press({2, ENTER}); // unset: nothing
    EXPECT_EQ(read_line(), "");
}

TEST_F(KeyboardLineTest, RunCommandKeyRunsAFunctionAndTypingGoesOn)
{
    ASSERT_TRUE(func_define(&ctx, "c20"));
    func_add_line(&ctx, "echo [$0] [$1] [$2]");
    bind(20, KEY_RUN_COMMAND);
    type("ab cd");
    press({CLEAR_OUTPUT, 20, 'e', ENTER});
    EXPECT_EQ(read_line(), "ab cde");
    EXPECT_EQ(take_output(), "[c20] [ab] [cd]\ne\n");
}

TEST_F(KeyboardLineTest, CompletionReplacesTheWordAfterTheSeparator)
{
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "vrel_keyboard_tab";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "note.txt") << "n";
    std::ofstream(dir / "notice.txt") << "n";
    std::string head = dir.string() + "/";
    std::vector<std::string> order = search_order(head + "no*.*");
    ASSERT_EQ(order.size(), 2u);
    type(head + "no");
    press({CLEAR_OUTPUT, 9, 9, 9, ENTER});
    std::string text = read_line();
    std::string out = take_output();
    type("no_such_name_here");
    press({9, ENTER}); // a search that finds nothing closes the one still open in dir
    read_line();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    EXPECT_EQ(text, head + order[0]);
    int first = static_cast<int>(order[0].size()), second = static_cast<int>(order[1].size());
    EXPECT_EQ(out,
              erased(2) + order[0] + erased(first) + order[1] + erased(second) + order[0] + "\n");
}

TEST_F(KeyboardLineTest, LineThatDidNotFitIsRefusedWhole)
{
    type(std::string(1030, 'z'));
    press({ENTER});
    EXPECT_EQ(read_line(), "");
    std::string out = take_output();
    EXPECT_EQ(out.substr(1023), "\nvrel:line too long\n");
    char entry[HISTORY_LINE_SIZE];
    EXPECT_EQ(history_get(&ctx, 1, entry), 0);
}

TEST_F(KeyboardLineTest, EndOfInputGivesTheTextSoFar)
{
    type("partial");
    EXPECT_EQ(read_line(), "partial");
    char entry[HISTORY_LINE_SIZE];
    EXPECT_EQ(history_get(&ctx, 1, entry), 0);
}
