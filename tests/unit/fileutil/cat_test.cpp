// Tests of cat: whatever path a line takes out, the output is that of the line reader.
#include "core/script.h"
#include "fileutil/listings.h"
#include "fileutil_fixture.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

class Cat : public FileutilTest
{
  protected:
    // What cat prints for a file: every line the reader hands out, with a line feed.
    static std::string lines_of(const char* name)
    {
        LineReader reader;
        EXPECT_EQ(reader_open(&reader, name), 1);
        std::string out;
        char line[SCRIPT_LINE_MAX + 1];
        while (int n = reader_line(&reader, line, SCRIPT_LINE_MAX))
            out.append(line, static_cast<size_t>(n - 1)).push_back('\n');
        return out;
    }
    std::string cat(const char* name)
    {
        WordList words{name};
        EXPECT_EQ(builtin_cat(words.words(), &ctx), 0);
        return take_output();
    }
};

TEST_F(Cat, LinesAtTheReadersLimits)
{
    std::string at_max(1024, 'm');
    make_file("f", "short\n" + std::string(1023, 'a') + "\n" + at_max + "\n" + at_max +
                       "x\r\nafter\nno end");
    std::string expected =
        "short\n" + std::string(1023, 'a') + "\n" + at_max + "\n\n" + at_max + "\nx\nafter\n";
    EXPECT_EQ(cat("f"), expected);
    EXPECT_EQ(expected, lines_of("f"));
}

TEST_F(Cat, MixedFilesAcrossManyBlocks)
{
    std::mt19937 random(7);
    for (int round = 0; round < 6; ++round) {
        std::string text;
        while (text.size() < 3 * READER_BUFFER_SIZE) {
            int kind = static_cast<int>(random() % 10);
            size_t length = kind == 0 ? 1020 + random() % 10 : random() % 200;
            for (size_t i = 0; i < length; ++i)
                text.push_back(static_cast<char>('a' + random() % 26));
            if (kind == 1 && round % 2)
                text.push_back('\r'); // carriage returns in every other file only
            text.push_back('\n');
        }
        if (round >= 3)
            text += "tail without a line feed";
        make_file("f", text);
        EXPECT_EQ(cat("f"), lines_of("f")) << "round " << round;
    }
}
