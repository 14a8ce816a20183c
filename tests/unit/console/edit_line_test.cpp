// Tests of the prompt's line editor, driven by scripted keys.
#include "console/history.h"
#include "console/line_input.h"

#include "console_fixture.h"
#include "test_support.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

constexpr int ENTER = 13;
constexpr int PREFIX = 224;
constexpr int UP = 72, DOWN = 80, LEFT = 75, RIGHT = 77, HOME = 71, END = 79;

static std::string erased(int cells)
{
    std::string out;
    for (int i = 0; i < cells; ++i)
        out += "\b \b";
    return out;
}

// What typing text into an empty line at column 0 shows.
static std::string typed(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        out += erased(static_cast<int>(i)) + text.substr(0, i + 1);
    return out;
}

class EditLineTest : public ConsoleTest
{
  protected:
    char buffer[LOOP_BUFFER_SIZE] = {};

    // Edits with the scripted keys; the accepted line.
    std::string edit(int prompt_width = 0)
    {
        EXPECT_TRUE(edit_line(buffer, &ctx, prompt_width));
        return buffer;
    }
};

TEST_F(EditLineTest, TypedLineIsAcceptedAndStored)
{
    type("ls");
    press({ENTER});
    EXPECT_EQ(edit(), "ls");
    EXPECT_EQ(take_output(), typed("ls") + "\n");
    char line[HISTORY_LINE_SIZE];
    ASSERT_EQ(history_get(&ctx, 1, line), 1);
    EXPECT_STREQ(line, "ls");
}

TEST_F(EditLineTest, EmptyLineIsNotStoredAndCtrlJAccepts)
{
    press({10});
    EXPECT_EQ(edit(), "");
    char line[HISTORY_LINE_SIZE];
    EXPECT_EQ(history_get(&ctx, 1, line), 0);
}

TEST_F(EditLineTest, InsertingInTheMiddleRedrawsTheLine)
{
    type("abc");
    press({PREFIX, LEFT, PREFIX, LEFT, CLEAR_OUTPUT, 'x', ENTER});
    EXPECT_EQ(edit(), "axbc");
    EXPECT_EQ(take_output(), "  " + erased(3) + "axbc\b\b\n");
}

TEST_F(EditLineTest, CursorMovesAndRedraws)
{
    type("abc");
    press({1, 1, 6, 5, 5, 2, PREFIX, HOME, PREFIX, RIGHT, PREFIX, END, ENTER});
    EXPECT_EQ(edit(), "abc");
    std::string home = erased(3) + "abc\b\b\b"; // the second Ctrl-A does nothing
    std::string end_from_1 = "  " + erased(3) + "abc";
    std::string home_from_2 = " " + erased(3) + "abc\b\b\b";
    EXPECT_EQ(take_output(), typed("abc") + home + "a" + end_from_1 + "\b" + home_from_2 + "a" +
                                 end_from_1 + "\n");
}

TEST_F(EditLineTest, DeleteAndRubOut)
{
    type("abcd");
    press({1, 4, 127, 8, 5, 8, ENTER});
    EXPECT_EQ(edit(), "c");
    EXPECT_EQ(take_output(), typed("abcd") + erased(4) + "abcd\b\b\b\b" + "    " + erased(4) +
                                 "bcd\b\b\b" + "   " + erased(3) + "cd\b\b" +
                                 /* Backspace at the start does nothing */ "  " + erased(2) + "cd" +
                                 erased(2) + "c" + "\n");
}

TEST_F(EditLineTest, DeleteAtTheEndRedrawsTheSameLine)
{
    type("ab");
    press({CLEAR_OUTPUT, 4, ENTER});
    EXPECT_EQ(edit(), "ab");
    EXPECT_EQ(take_output(), erased(2) + "ab\n");
}

TEST_F(EditLineTest, CtrlUEmptiesAndCtrlLClearsTheScreenOnly)
{
    type("abc");
    press({2, 21, 12, ENTER});
    EXPECT_EQ(edit(), "");
    EXPECT_EQ(take_output(), typed("abc") + "\b" + " " + erased(3) + "\x1b[2J\n");
}

TEST_F(EditLineTest, IgnoredKeysAndFunctionKeys)
{
    type("a");
    press({3, 7, 11, 15, 17, 31, PREFIX, 83, PREFIX, 59, 0, 59, ENTER});
    EXPECT_EQ(edit(), "a;"); // F1 is 0 then 59: the 0 is ignored, 59 is ';'
    EXPECT_EQ(take_output(), typed("a;") + "\n");
}

TEST_F(EditLineTest, EndOfInputReturnsFalse)
{
    type("abc");
    EXPECT_FALSE(edit_line(buffer, &ctx, 0));
    press({PREFIX});
    EXPECT_FALSE(edit_line(buffer, &ctx, 0));
}

TEST_F(EditLineTest, HistoryPrefixSearch)
{
    history_add(&ctx, "ls a");
    history_add(&ctx, "cd b");
    history_add(&ctx, "ls c");
    type("ls");
    press({PREFIX, UP, 16, PREFIX, UP, PREFIX, DOWN, 14, ENTER});
    EXPECT_EQ(edit(), "ls");
    EXPECT_EQ(take_output(), typed("ls") + erased(2) + "ls c" + erased(4) + "ls a" + erased(4) +
                                 "ls" + erased(2) + "ls" + erased(2) + "ls" + "\n");
}

TEST_F(EditLineTest, InsertingEndsBrowsing)
{
    history_add(&ctx, "one");
    history_add(&ctx, "two");
    press({16, 'x', 16, 16, ENTER});
    EXPECT_EQ(edit(), "twox"); // no entry begins with "twox": the typed text comes back
}

TEST_F(EditLineTest, DownFirstEmptiesTheLine)
{
    history_add(&ctx, "one");
    type("typed");
    press({14, ENTER});
    EXPECT_EQ(edit(), "");
}

TEST_F(EditLineTest, LongPromptMovesTheLineToAFreshRowOnce)
{
    std::memset(buffer, 'p', 70); // the caller leaves its prompt in the buffer
    type("0123456789AB");
    press({ENTER});
    EXPECT_EQ(edit(70), "0123456789AB");
    std::string out = take_output();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2);
    std::string tail = erased(10) + "\n0123456789A" + erased(11) + "0123456789AB\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

TEST_F(EditLineTest, KeyThatWouldOverflowIsIgnored)
{
    std::string entry(1021, 'h');
    history_add(&ctx, entry.c_str());
    press({16, 'a', 'b', 'c', ENTER}); // 1023 bytes fit, the 1024th does not
    EXPECT_EQ(edit(), entry + "ab");
}

TEST_F(EditLineTest, TabCyclesThroughMatches)
{
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "vrel_edit_line_tab";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "note.txt") << "n";
    std::ofstream(dir / "notice.txt") << "n";
    std::string head = "cat " + dir.string() + "/";
    std::vector<std::string> order = search_order(dir.string() + "/no*.*");
    ASSERT_EQ(order.size(), 2u);
    type(head + "no");
    press({9, 9, 9, CLEAR_OUTPUT, 2, 9, 'x', 9, ENTER});
    std::string line = edit();
    std::filesystem::remove_all(dir);
    // Moving the cursor keeps the cycle; the typed x starts a new search, which finds nothing.
    EXPECT_EQ(line, head + order[1] + "x");
    int shown = static_cast<int>(head.size() + order[0].size());
    int next = static_cast<int>(head.size() + order[1].size());
    EXPECT_EQ(take_output(), "\b" + std::string(" ") + erased(shown) + head + order[1] +
                                 erased(next) + head + order[1] + "x" + "\n");
}

TEST_F(EditLineTest, Utf8CharactersMoveAndEraseWhole)
{
    CodePageScope code_page(CODE_PAGE_UTF8);
    type("a\xc3\xa9"
         "b"); // a, e acute, b
    press({CLEAR_OUTPUT, 2, 2, 4, ENTER});
    EXPECT_EQ(edit(), "ab");
    EXPECT_EQ(take_output(), "\b\b" + std::string("  ") + erased(3) + "ab\b" + "\n");
}

TEST_F(EditLineTest, DoubleByteCharactersMoveAndEraseWhole)
{
    CodePageScope code_page(CODE_PAGE_SHIFT_JIS);
    // a, a kanji whose second half is the byte of '\', a kanji whose second half is a lead byte
    type("a\x95\x5C\x88\x9F");
    press({CLEAR_OUTPUT, 2, 2, 4, 2, 6, 8, ENTER});
    EXPECT_EQ(edit(), "\x88\x9F");
    // Left over a pair backs up two cells; Ctrl-D and Backspace take both bytes.
    EXPECT_EQ(take_output(), "\b\b\b\b" + std::string("    ") + erased(5) + "a\x88\x9F\b\b" + "\b" +
                                 "a" + std::string("  ") + erased(3) + "\x88\x9F\b\b" + "\n");
    type("\x82"); // a lead byte that Enter cuts short stays a byte of its own
    press({ENTER});
    EXPECT_EQ(edit(), "\x82");
}

TEST_F(EditLineTest, SingleByteCodePageBytesAreCharacters)
{
    CodePageScope code_page(1252);
    type("caf\xE9\x82");
    press({CLEAR_OUTPUT, 2, 8, ENTER});
    EXPECT_EQ(edit(), "caf\x82");
}

TEST_F(EditLineTest, WideCharactersTakeTwoColumns)
{
    CodePageScope code_page(CODE_PAGE_UTF8);
    type("\xe6\x97\xa5"); // a CJK ideograph
    press({CLEAR_OUTPUT, 2, 6, 8, ENTER});
    EXPECT_EQ(edit(), "");
    EXPECT_EQ(take_output(), "\b\b\xe6\x97\xa5" + erased(2) + "\n");
}

TEST_F(EditLineTest, Utf8CharacterBeginningWith224IsText)
{
    CodePageScope code_page(CODE_PAGE_UTF8);
    press({0xe0, 0xb8, 0xa0, PREFIX, LEFT, 'x', ENTER}); // a Thai letter, Left, x
    EXPECT_EQ(edit(), "x\xe0\xb8\xa0");
}

TEST_F(EditLineTest, DoubledPrefixIsTheTextByte224)
{
    press({PREFIX, PREFIX, PREFIX, LEFT, 'x', ENTER}); // 224 as text, Left, x
    EXPECT_EQ(edit(), "x\xe0");
}

TEST_F(EditLineTest, Utf8PromptIsCountedInColumns)
{
    CodePageScope code_page(CODE_PAGE_UTF8);
    std::string prompt;
    for (int i = 0; i < 68; ++i)
        prompt += "\xce\xbb"; // 68 columns in 136 bytes: 12 columns left
    std::strcpy(buffer, prompt.c_str());
    type("0123456789AB");
    press({ENTER});
    EXPECT_EQ(edit(static_cast<int>(prompt.size())), "0123456789AB");
    std::string out = take_output();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
}
