// Tests of the fields of the long listing and of ls on paths near its line buffer's end.
#include "fileutil/listings.h"
#include "fileutil_fixture.h"

#include <gtest/gtest.h>

#include <string>

static std::string right(uint64_t value, int width)
{
    char buffer[32];
    char* end = format_right(buffer, value, width);
    EXPECT_EQ(*end, 0);
    return std::string(buffer, end);
}

static std::string letters(uint32_t attributes)
{
    char buffer[16];
    char* end = format_attributes(buffer, attributes);
    EXPECT_EQ(end, buffer + 15);
    return buffer;
}

TEST(FormatRight, PadsOnTheLeftToTheWidth)
{
    EXPECT_EQ(right(1234, 11), "       1234");
    EXPECT_EQ(right(0, 11), "          0");
    EXPECT_EQ(right(0, 0), "0");
}

TEST(FormatRight, WidthIsAMinimumForSizesPast4GiB)
{
    EXPECT_EQ(right(5368709120ull, 11), " 5368709120"); // 5 GiB, no wrap at 32 bits
    EXPECT_EQ(right(99999999999ull, 11), "99999999999");
    EXPECT_EQ(right(100000000000ull, 11), "100000000000");
    EXPECT_EQ(right(UINT64_MAX, 11), "18446744073709551615");
}

TEST(FormatAttributes, LetterShowsWhereItsBitIsSet)
{
    EXPECT_EQ(letters(0), "---------------");
    EXPECT_EQ(letters(ATTR_ARCHIVE), "---------A-----");
    EXPECT_EQ(letters(ATTR_DIRECTORY | ATTR_READONLY), "----------D---R");
    EXPECT_EQ(letters(ATTR_REPARSE_POINT | ATTR_HIDDEN), "----R--------H-");
    EXPECT_EQ(letters(ATTR_VOLUME | ATTR_SYSTEM | ATTR_NORMAL), "-------N---vS--");
    EXPECT_EQ(letters(0x7FFF), "ENOCRSTNDADvSHR");
}

TEST(FormatAttributes, BitsAbove16384AreNotShown)
{
    EXPECT_EQ(letters(0xFFFF8000), "---------------");
    EXPECT_EQ(letters(0x4000), "E--------------");
}

using LsLine = FileutilTest;

// A path that the walker accepts but that does not fit the 320-byte line with the attribute
// letters, size and time is refused in the long format and still listed in the short one.
TEST_F(LsLine, LongFormatRefusesAPathPastItsLine)
{
    if (!long_paths_possible())
        GTEST_SKIP() << "no path of 271 bytes on this system";
    std::string sub(200, 's');
    std::filesystem::create_directory(sub);
    std::string fits = std::string(69, 'f'); // 15 + 11 + 21 + 270 + "\r\n" + 0: 320 bytes
    std::string over = std::string(70, 'g');
    make_file(sub + "/" + fits);
    make_file(sub + "/" + over);
    std::string pattern = sub + "/*";
    char option[] = "-l";
    char* words[] = {option, pattern.data(), nullptr};
    EXPECT_EQ(builtin_ls(words, &ctx), 0);
    std::string out = take_output();
    EXPECT_NE(out.find("---------A-----          0 "), std::string::npos) << out;
    EXPECT_NE(out.find(" " + sub + "/" + fits + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find(sub + "/" + over + ":path too long\n"), std::string::npos) << out;

    char* short_words[] = {pattern.data(), nullptr};
    builtin_ls(short_words, &ctx);
    EXPECT_EQ(take_output(), sub + "/" + fits + " " + sub + "/" + over + " \n");
}
