// Tests of the prompt's columns and of the character width table behind the line's layout.
#include "console/char_widths.h"
#include "console/line_text.h"
#include "console/prompt_width.h"

#include "test_support.h"

#include <gtest/gtest.h>

TEST(PromptWidth, SequencesTakeNoColumnsAndTheLastRowCounts)
{
    CodePageScope code_page(CODE_PAGE_UTF8);
    struct Case {
        const char* prompt;
        int columns;
        size_t last_row;
    } cases[] = {
        {"vrel> ", 6, 0},
        {"\x1b[32mvrel\x1b[0m> ", 6, 0},
        {"\x1b]0;title\a> ", 2, 0},
        {"\x1b]9;9;\"C:\\x\"\x1b\\> ", 2, 0},
        {"top row\nvrel> ", 6, 8},
        {"\x1b]0;a\nb\a$ ", 2, 0}, // a line feed inside a sequence starts no row
        {"caf\xc3\xa9 \xe6\x97\xa5> ", 9, 0},
        {"\x1b[1;3", 0, 0}, // a sequence cut short runs to the end
        {"a\r\x1b(Bb", 1, 2},
    };
    for (const Case& c : cases) {
        size_t last_row = 99;
        EXPECT_EQ(prompt_columns(c.prompt, &last_row), c.columns) << c.prompt;
        EXPECT_EQ(last_row, c.last_row) << c.prompt;
    }
}

TEST(CharWidths, EachClassOfCharacter)
{
    struct Case {
        uint32_t c;
        int columns;
    } cases[] = {
        {'a', 1},     {0xE9, 1},    {0x301, 0},   {0x200D, 0}, {0xFE0F, 0},
        {0xE0101, 0}, {0x1160, 0},  {0x65E5, 2},  {0xAC00, 2}, {0xFF21, 2},
        {0x1F680, 2}, {0x1FAE0, 2}, {0x1F1E6, 1}, {0x2603, 1}, {0x20000, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(char_columns(c.c), c.columns) << std::hex << c.c;
}

TEST(CharWidths, MarksGoWithTheirLetter)
{
    CodePageScope code_page(CODE_PAGE_UTF8);
    const char* text =
        "ae\xcc\x81\xcc\xa3x\xe2\x80\x8d\xef\xb8\x8f"; // a, e + two marks, x + ZWJ VS
    EXPECT_EQ(char_length_at(text, 1), 5u);
    EXPECT_EQ(char_start_before(text, 6), 1u);
    EXPECT_EQ(char_length_at(text, 6), 7u);
    EXPECT_EQ(char_start_before(text, 13), 6u);
    EXPECT_EQ(text_columns(text, 0, 13), 3);
}
