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
constexpr int PREFIX = KEY_PREFIX_CURSOR;
constexpr int UP = SCAN_UP, DOWN = SCAN_DOWN, LEFT = SCAN_LEFT, RIGHT = SCAN_RIGHT;
constexpr int HOME = SCAN_HOME, END = SCAN_END;

static std::string back(int cells) { return std::string(static_cast<size_t>(cells), '\b'); }

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
    EXPECT_EQ(take_output(), "ls\n"); // each key writes what it changed
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

TEST_F(EditLineTest, InsertingInTheMiddleWritesTheRestOfTheLine)
{
    type("abc");
    press({PREFIX, LEFT, PREFIX, LEFT, CLEAR_OUTPUT, 'x', ENTER});
    EXPECT_EQ(edit(), "axbc");
    EXPECT_EQ(take_output(), "xbc\b\b" + std::string("bc\n")); // Enter moves to the end
}

TEST_F(EditLineTest, CursorKeysMoveOnly)
{
    type("abc");
    press({1, 1, 6, 5, 5, 2, PREFIX, HOME, PREFIX, RIGHT, PREFIX, END, ENTER});
    EXPECT_EQ(edit(), "abc");
    // Right writes the character it passes over; the second Home and End do nothing.
    EXPECT_EQ(take_output(), "abc" + back(3) + "a" + "bc" + "\b" + back(2) + "a" + "bc" + "\n");
}

TEST_F(EditLineTest, DeleteAndRubOut)
{
    type("abcd");
    press({1, 4, 127, 8, 5, 8, ENTER});
    EXPECT_EQ(edit(), "c");
    EXPECT_EQ(take_output(), "abcd" + back(4) + "bcd " + back(4) + "cd " + back(3) +
                                 /* Backspace at the start does nothing */ "cd" + "\b \b" + "\n");
}

TEST_F(EditLineTest, DeleteAtTheEndDoesNothing)
{
    type("ab");
    press({CLEAR_OUTPUT, 4, ENTER});
    EXPECT_EQ(edit(), "ab");
    EXPECT_EQ(take_output(), "\n");
}

TEST_F(EditLineTest, CtrlUEmptiesTheLine)
{
    type("abc");
    press({2, 21, ENTER});
    EXPECT_EQ(edit(), "");
    EXPECT_EQ(take_output(), "abc\b" + back(2) + "   " + back(3) + "\n");
}

TEST_F(EditLineTest, CtrlLDrawsThePromptAndTheLineAtTheTop)
{
    std::strcpy(buffer, "\x1b[1mtop\nvrel> ");
    type("abc");
    press({2, CLEAR_OUTPUT, 12, ENTER});
    EXPECT_EQ(edit(static_cast<int>(std::strlen("\x1b[1mtop\nvrel> "))), "abc");
    // The whole prompt again, then the line with the cursor where it was.
    EXPECT_EQ(take_output(), "\x1b[H\x1b[2J\x1b[1mtop\r\nvrel> abc\b" + std::string("c\n"));
}

TEST_F(EditLineTest, IgnoredKeysFunctionKeysAndDelete)
{
    type("ab");
    press({3, 7, 11, 15, 17, 31, PREFIX, 59, 0, 59, 0, 'x', 1, PREFIX, SCAN_DELETE, ENTER});
    EXPECT_EQ(edit(), "b"); // a function key is 0 then its scan code: both are ignored
    EXPECT_EQ(take_output(), "ab" + back(2) + "b " + back(2) + "b\n");
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
    // Each entry is written from its first byte that differs from the line shown.
    EXPECT_EQ(take_output(), "ls" + std::string(" c") + "\ba" + "\b\b  \b\b" + "\n");
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
    // The row filled up to its end is left for the next: the cursor goes back up by a move.
    std::string up = "\r\x1b[1A\x1b[70C";
    EXPECT_EQ(take_output(),
              "0123456789 \b" + up + std::string(10, ' ') + " \b" + up + "\n0123456789AB\n");
}

TEST_F(EditLineTest, LineThatDidNotFitIsRefusedWhole)
{
    std::string entry(1021, 'h');
    history_add(&ctx, entry.c_str());
    press({16, 'a', 'b', 'c', 8, ENTER}); // 1023 bytes fit, the 1024th does not
    EXPECT_EQ(edit(), "");
    std::string out = take_output();
    EXPECT_EQ(out.substr(out.size() - 20), "\nvrel:line too long\n");
    EXPECT_EQ(ctx.status, 1);
    char line[HISTORY_LINE_SIZE];
    EXPECT_EQ(history_get(&ctx, 1, line), 1); // only the entry recalled
    press({16, 'c', 21, 'x', ENTER});         // Ctrl-U leaves nothing of the line to refuse
    EXPECT_EQ(edit(), "x");
}

TEST_F(EditLineTest, LongLineWrapsAndTheCursorCrossesRows)
{
    type(std::string(85, 'a') + "b");
    press({CLEAR_OUTPUT, 1, 5, 2, 2, 2, 2, 2, 2, 2, ENTER});
    EXPECT_EQ(edit(), std::string(85, 'a') + "b");
    // Home goes up a row; End writes what it passes; Left into the row above goes up to its end.
    EXPECT_EQ(take_output(), "\r\x1b[1A" + std::string(85, 'a') + "b" + back(6) +
                                 "\r\x1b[1A\x1b[79C" + "aaaaaab\n");
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
    size_t common = 0;
    while (order[0][common] == order[1][common])
        ++common;
    int left = static_cast<int>(order[0].size() - common); // from the end, one Left included
    int shorter = std::max(0, shown - next);
    EXPECT_EQ(take_output(), back(left) + order[1].substr(common) + std::string(shorter, ' ') +
                                 back(shorter) + "x\n");
}

TEST_F(EditLineTest, Utf8CharactersMoveAndEraseWhole)
{
    CodePageScope code_page(CODE_PAGE_UTF8);
    type("a\xc3\xa9"
         "b"); // a, e acute, b
    press({CLEAR_OUTPUT, 2, 2, 4, ENTER});
    EXPECT_EQ(edit(), "ab");
    EXPECT_EQ(take_output(), "\b\b" + std::string("b \b\b") + "b\n");
}

TEST_F(EditLineTest, DoubleByteCharactersMoveAndEraseWhole)
{
    CodePageScope code_page(CODE_PAGE_SHIFT_JIS);
    // a, a kanji whose second half is the byte of '\', a kanji whose second half is a lead byte
    type("a\x95\x5C\x88\x9F");
    press({CLEAR_OUTPUT, 2, 2, 4, 2, 6, 8, ENTER});
    EXPECT_EQ(edit(), "\x88\x9F");
    // Left over a pair backs up two cells; Ctrl-D and Backspace take both bytes.
    EXPECT_EQ(take_output(),
              back(4) + "\x88\x9F  " + back(4) + "\b" + "a" + "\b\x88\x9F \b\b\b" + "\x88\x9F\n");
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
    EXPECT_EQ(take_output(), "\b\b\xe6\x97\xa5" + std::string("\b\b  \b\b") + "\n");
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
    type("0123456789A");
    press({ENTER});
    EXPECT_EQ(edit(static_cast<int>(prompt.size())), "0123456789A");
    std::string out = take_output();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
}
