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
    std::string cat(const char* name)
    {
        WordList words{name};
        EXPECT_EQ(builtin_cat(words.words(), &ctx), 0);
        return take_output();
    }
};

// cat writes every byte of a file but its carriage returns.
static std::string without_returns(std::string text)
{
    std::erase(text, '\r');
    return text;
}

TEST_F(Cat, LongLinesWholeAndTheLastLineWithoutLineFeed)
{
    std::string at_max(1024, 'm');
    std::string text = "short\n" + std::string(1023, 'a') + "\n" + at_max + "\n" + at_max +
                       "x\r\n" + std::string(3000, 'l') + "\r\nafter\nno end";
    make_file("f", text);
    EXPECT_EQ(cat("f"), without_returns(text));
}

TEST_F(Cat, MixedFilesAcrossManyBlocks)
{
    std::mt19937 random(7);
    for (int round = 0; round < 6; ++round) {
        std::string text;
        while (text.size() < 3 * READER_BUFFER_SIZE) {
            int kind = static_cast<int>(random() % 10);
            size_t length = kind == 0 ? 1020 + random() % 10 : random() % 200;
            if (kind == 2 && round == 5)
                length = READER_BUFFER_SIZE + random() % 100; // lines longer than a block
            for (size_t i = 0; i < length; ++i)
                text.push_back(static_cast<char>('a' + random() % 26));
            if (kind == 1 && round % 2)
                text.push_back('\r'); // carriage returns in every other file only
            text.push_back('\n');
        }
        if (round >= 3)
            text += "tail without a line feed";
        make_file("f", text);
        EXPECT_EQ(cat("f"), without_returns(text)) << "round " << round;
    }
}
