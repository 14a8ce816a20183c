// Tests of the bounded formatter.
#include "console/output.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

static std::string fmt(const char* format, auto... values)
{
    char buffer[256];
    int length = format_text(buffer, sizeof buffer, format, values...);
    EXPECT_EQ(static_cast<size_t>(length), std::string(buffer).size());
    return buffer;
}

TEST(FormatText, WidthsAndFlags)
{
    EXPECT_EQ(fmt("[%5d]", 42), "[   42]");
    EXPECT_EQ(fmt("[%-5d]", 42), "[42   ]");
    EXPECT_EQ(fmt("[%05d]", 42), "[00042]");
    EXPECT_EQ(fmt("[%05d]", -42), "[-0042]");
    EXPECT_EQ(fmt("[%-05d]", -42), "[-42  ]"); // '-' wins over '0'
    EXPECT_EQ(fmt("[%2d]", 12345), "[12345]"); // a width is a minimum
    EXPECT_EQ(fmt("[%-8s|%3s]", "ab", "abcd"), "[ab      |abcd]");
    EXPECT_EQ(fmt("[%3c%-3c]", 'x', 'y'), "[  xy  ]");
}

TEST(FormatText, TheDesignsFormats)
{
    EXPECT_EQ(fmt(" %04d-%02d-%02d %02d:%02d:%02d ", 2024, 3, 9, 7, 5, 0), " 2024-03-09 07:05:00 ");
    EXPECT_EQ(fmt("%s:command error(%d)", "cd", -1), "cd:command error(-1)");
    EXPECT_EQ(fmt("%6d%%", 57), "    57%");
    EXPECT_EQ(fmt("%d %d.%d %d (%s)", 2, 6, 1, 7601, "SP1"), "2 6.1 7601 (SP1)");
}

TEST(FormatText, ExtremeAndWideNumbers)
{
    EXPECT_EQ(fmt("%d", INT32_MIN), "-2147483648");
    EXPECT_EQ(fmt("%d", 0), "0");
    EXPECT_EQ(fmt("%u", 4294967295u), "4294967295");
    EXPECT_EQ(fmt("%llu", 18446744073709551615ull), "18446744073709551615");
    EXPECT_EQ(fmt("%9llu|%lld", 5000000000ull, LLONG_MIN), "5000000000|-9223372036854775808");
    EXPECT_EQ(fmt("%-12lld|", -5000000000ll), "-5000000000 |");
}

TEST(FormatText, PercentAndUnknownConversions)
{
    EXPECT_EQ(fmt("100%%"), "100%");
    EXPECT_EQ(fmt("%q%d", 7), "%q7");
    EXPECT_EQ(fmt("end%"), "end%");
}

TEST(FormatText, CutsAtTheBufferEnd)
{
    char buffer[8];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(format_text(buffer, 6, "%s-%d", "abcd", 12345), 5);
    EXPECT_STREQ(buffer, "abcd-");
    EXPECT_EQ(buffer[6], 'X'); // nothing past the given size
    EXPECT_EQ(format_text(buffer, 4, "%10d", 1), 3);
    EXPECT_STREQ(buffer, "   ");
    EXPECT_EQ(format_text(buffer, 1, "abc"), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(format_text(buffer, 0, "abc"), 0);
}
