// Tests of the byte classes and the string helpers.
#include "parse/char_class.h"
#include "parse/strings.h"

#include "platform/platform.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(CharClass, NameBytesAreDashDotDigitsLettersAndUnderscore)
{
    for (int b = 0; b < 0x80; ++b) {
        bool name = b == '-' || b == '.' || b == '_' || (b >= '0' && b <= '9') ||
                    (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
        EXPECT_EQ(has_class(static_cast<char>(b), CC_NAME), name) << b;
    }
    EXPECT_EQ(char_class['7'], CC_NAME | CC_DIGIT);
    EXPECT_EQ(char_class['Q'], CC_NAME | CC_UPPER);
    EXPECT_EQ(char_class['q'], CC_NAME | CC_LOWER);
    EXPECT_EQ(char_class['/'], 0);
}

TEST(CharClass, HighBytesAreNameBytesWithoutLeadsInUtf8AndSingleByteCodePages)
{
    for (uint32_t number : {CODE_PAGE_UTF8, 1252u, 1251u}) {
        CodePageScope code_page(number);
        for (int b = 0x80; b < 0x100; ++b)
            EXPECT_EQ(char_class[b], CC_NAME) << number << " " << b;
        EXPECT_EQ(text_is_utf8(), number == CODE_PAGE_UTF8);
    }
}

TEST(CharClass, ShiftJisKeepsItsOwnTableWhateverTheSystemReports)
{
    const uint8_t system_ranges[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
    CodePageScope code_page(CODE_PAGE_SHIFT_JIS, system_ranges);
    for (int b = 0x80; b < 0x100; ++b) {
        bool lead = b <= 0x9F || (b >= 0xE0 && b <= 0xFE);
        uint8_t expected = b == 0xA0 || b == 0xFF ? 0 : lead ? CC_LEAD | CC_NAME : CC_NAME;
        EXPECT_EQ(char_class[b], expected) << b;
    }
    EXPECT_FALSE(text_is_utf8());
}

TEST(CharClass, OtherDoubleByteCodePagesLeadWithTheSystemsRangesOnly)
{
    // Two runs as a system may report them, and one reaching below 0x80, which must not lead.
    const uint8_t ranges[SYS_LEAD_RANGES_SIZE] = {0x81, 0x84, 0xA1, 0xFE, 0x20, 0x80};
    CodePageScope code_page(949, ranges);
    for (int b = 0; b < 0x100; ++b) {
        bool lead = (b >= 0x81 && b <= 0x84) || (b >= 0xA1 && b <= 0xFE) || b == 0x80;
        EXPECT_EQ(is_lead(static_cast<char>(b)), lead) << b;
        EXPECT_TRUE(b < 0x80 || has_class(static_cast<char>(b), CC_NAME)) << b;
    }
    EXPECT_EQ(char_class['"'], 0);
}

TEST(CharClass, TheSystemsCodePageIsTheOneInForce)
{
    CodePageScope code_page(1252);
    use_system_code_page();
    SysCodePage system;
    sys_code_page(&system);
    EXPECT_EQ(text_code_page, system.number);
    for (int b = 0; b < 0x100 && system.lead_ranges[0] == 0; ++b)
        EXPECT_FALSE(is_lead(static_cast<char>(b))) << b; // UTF-8 or single-byte: nothing leads
}

TEST(SkipBlanks, SkipsEveryControlByteAndSpaceOnly)
{
    EXPECT_STREQ(skip_blanks("\x01\t\n\r x y"), "x y");
    EXPECT_STREQ(skip_blanks("\x80 a"), "\x80 a");
    EXPECT_STREQ(skip_blanks("   "), "");
}

TEST(CopyEnd, ReturnsTheTerminatorSoCopiesChain)
{
    char buffer[32];
    char* end = copy_end(buffer, "ab");
    end = copy_end(end, "cd");
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_EQ(end, buffer + 4);
    EXPECT_EQ(append_end(buffer, "ef"), buffer + 6);
    EXPECT_STREQ(buffer, "abcdef");
}

TEST(CopyBounded, CutsAtTheSizeAndAlwaysTerminates)
{
    char buffer[8];
    std::memset(buffer, 'z', sizeof buffer);
    EXPECT_EQ(copy_bounded(buffer, "abcdefg", 8), buffer + 7); // exactly full
    EXPECT_STREQ(buffer, "abcdefg");
    std::memset(buffer, 'z', sizeof buffer);
    EXPECT_EQ(copy_bounded(buffer, "abcdefgh", 8), buffer + 7); // one byte over
    EXPECT_STREQ(buffer, "abcdefg");
    buffer[0] = 'z';
    EXPECT_EQ(copy_bounded(buffer, "abc", 0), buffer);
    EXPECT_EQ(buffer[0], 'z');
}

TEST(FormatUnsigned, WritesPlainDecimal)
{
    char buffer[16];
    EXPECT_EQ(format_unsigned(buffer, 0), buffer + 1);
    EXPECT_STREQ(buffer, "0");
    format_unsigned(buffer, 4294967295u);
    EXPECT_STREQ(buffer, "4294967295");
    format_unsigned(buffer, static_cast<uint32_t>(-3));
    EXPECT_STREQ(buffer, "4294967293");
}

TEST(ParseDecimal, ReadsLeadingDigitsAndWrapsAt32Bits)
{
    EXPECT_EQ(parse_decimal("123abc"), 123u);
    EXPECT_EQ(parse_decimal("4294967295"), 4294967295u);
    EXPECT_EQ(parse_decimal("4294967296"), 0u);
    EXPECT_EQ(parse_decimal("4294967297"), 1u);
    EXPECT_EQ(parse_decimal("-5"), 0u);
    EXPECT_EQ(parse_decimal(" 5"), 0u);
    EXPECT_EQ(parse_decimal(""), 0u);
}

TEST(CharIndex, IsOneBasedAndNeverFindsTheTerminator)
{
    EXPECT_EQ(char_index("abc", 'a'), 1);
    EXPECT_EQ(char_index("abc", 'c'), 3);
    EXPECT_EQ(char_index("abc", 'd'), 0);
    EXPECT_EQ(char_index("abc", 0), 0);
}

TEST(PrefixOf, GivesTheFirstDifferingByteOfA)
{
    EXPECT_EQ(prefix_of("ab", "abc"), 0);
    EXPECT_EQ(prefix_of("abc", "abc"), 0);
    EXPECT_EQ(prefix_of("", "x"), 0);
    EXPECT_EQ(prefix_of("abd", "abc"), 'd');
    EXPECT_EQ(prefix_of("abc", "ab"), 'c');
    EXPECT_EQ(prefix_of("\xE9", "e"), 0xE9);
}

TEST(ExtensionOf, FindsTheLastDotOfTheFileName)
{
    const char* path = "c:/tmp/a.tar.gz";
    EXPECT_STREQ(extension_of(path), ".gz");
    const char* directory_dot = "d.x/file";
    EXPECT_EQ(extension_of(directory_dot), directory_dot + 8);
    EXPECT_STREQ(extension_of("a.b\\c"), "");
    EXPECT_STREQ(extension_of("x.y:z.w"), ".w");
    EXPECT_STREQ(extension_of("name."), ".");
}

TEST(FilePart, StartsBehindTheLastSeparator)
{
    EXPECT_STREQ(file_part("c:/tmp/a.txt"), "a.txt");
    EXPECT_STREQ(file_part("a\\b:c"), "c");
    EXPECT_STREQ(file_part("plain"), "plain");
    EXPECT_STREQ(file_part("dir/"), "");
}

TEST(DirPart, CopiesThroughTheLastSeparator)
{
    char buffer[32];
    EXPECT_EQ(dir_part(buffer, "c:/tmp/a.txt"), buffer + 7);
    EXPECT_STREQ(buffer, "c:/tmp/");
    EXPECT_EQ(dir_part(buffer, "a.txt"), buffer);
    EXPECT_STREQ(buffer, "");
    dir_part(buffer, "c:x");
    EXPECT_STREQ(buffer, "c:");
}

TEST(FormatHex, WritesExactlyTheDigitsWithoutTerminator)
{
    char buffer[16];
    std::memset(buffer, 'z', sizeof buffer);
    EXPECT_EQ(format_hex(buffer, 255, 8), buffer + 8);
    EXPECT_EQ(std::string(buffer, 9), "000000ffz");
    format_hex(buffer, 0x12345, 2); // higher digits dropped
    EXPECT_EQ(std::string(buffer, 2), "45");
    format_hex(buffer, 0xDEADBEEF, 8);
    EXPECT_EQ(std::string(buffer, 8), "deadbeef");
}

TEST(Slashes, TurnEachWay)
{
    char text[] = "a\\b/c\\";
    to_forward_slashes(text);
    EXPECT_STREQ(text, "a/b/c/");
    to_backslashes(text);
    EXPECT_STREQ(text, "a\\b\\c\\");
}

TEST(Case, FlipsOnlyAsciiLetters)
{
    char text[] = "aZ-9_\xC3\xA9x";
    to_upper(text);
    EXPECT_STREQ(text, "AZ-9_\xC3\xA9X");
    to_lower(text);
    EXPECT_STREQ(text, "az-9_\xC3\xA9x");
}

TEST(DoubleByteRule, SecondHalvesAreNeverSeparatorsOrLetters)
{
    CodePageScope code_page(CODE_PAGE_SHIFT_JIS);
    // 0x95 0x5C is one character whose second half is a backslash byte.
    EXPECT_STREQ(extension_of("a.b\x95\x5C"
                              "c"),
                 ".b\x95\x5C"
                 "c");
    char path[] = "x\x95\x5Cy\\z";
    to_forward_slashes(path);
    EXPECT_STREQ(path, "x\x95\x5Cy/z");
    char text[] = "\x82\x61"
                  "a";
    to_upper(text);
    EXPECT_STREQ(text, "\x82\x61"
                       "A");
    EXPECT_EQ(last_char_width("a\x82\x61"), 2);
    EXPECT_EQ(last_char_width("a\x82"), 1); // a lead byte standing last counts 1
}

TEST(DoubleByteRule, SingleByteCodePagesTakeEveryByteAlone)
{
    CodePageScope code_page(1252);
    EXPECT_STREQ(extension_of("caf\xE9.t\xE9"), ".t\xE9");
    char path[] = "\xE9\\x";
    to_forward_slashes(path);
    EXPECT_STREQ(path, "\xE9/x");
    EXPECT_EQ(last_char_width("a\x82\x61"), 1);
}

TEST(LastCharWidth, CountsTheLastCharacter)
{
    EXPECT_EQ(last_char_width(""), 0);
    EXPECT_EQ(last_char_width("ab"), 1);
    CodePageScope code_page(CODE_PAGE_UTF8);
    EXPECT_EQ(last_char_width("a\xC3\xA9"), 2);         // e acute
    EXPECT_EQ(last_char_width("\xE2\x82\xAC"), 3);      // euro sign
    EXPECT_EQ(last_char_width("x\xF0\x9F\x98\x80"), 4); // four-byte character
    EXPECT_EQ(last_char_width("\xC3\xA9\x80"), 1);      // a stray continuation byte
    EXPECT_EQ(last_char_width("\x80\x80"), 1);
    EXPECT_EQ(last_char_width("\xE2\x82"), 2); // a character cut short goes as one
}
