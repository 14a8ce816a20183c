// Tests of the completion pattern and of stepping through the matches.
#include "console/completion.h"
#include "console/line_input.h"

#include "console_fixture.h"
#include "parse/char_class.h"
#include "parse/read_word.h"
#include "parse/strings.h"
#include "test_support.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

// The pattern and the text after the insertion point.
static std::pair<std::string, std::string> pattern_of(const char* text, size_t size = 1024)
{
    char line[1024];
    char pattern[1024];
    std::strcpy(line, text);
    char* insert = completion_pattern(pattern, size, line);
    return {pattern, insert};
}

TEST(CompletionPattern, LastWordGetsTheRightWildcards)
{
    EXPECT_EQ(pattern_of("ls src/ma"), std::make_pair(std::string("src/ma*.*"), std::string("ma")));
    EXPECT_EQ(pattern_of("cat a.t"), std::make_pair(std::string("a.t*"), std::string("a.t")));
    EXPECT_EQ(pattern_of("rm *.o"), std::make_pair(std::string("*.o"), std::string("*.o")));
    EXPECT_EQ(pattern_of("cat no"), std::make_pair(std::string("no*.*"), std::string("no")));
}

TEST(CompletionPattern, SeparatorsAndBlanks)
{
    // ':' and '\' separate only on Windows; on POSIX they are bytes of a name.
    EXPECT_EQ(
        pattern_of("cd c:x"),
        std::make_pair(std::string("c:x*.*"), std::string(PLATFORM_DOS_SEPARATORS ? "x" : "c:x")));
    EXPECT_EQ(pattern_of("dir a\\b\\c"),
              std::make_pair(std::string("a\\b\\c*.*"),
                             std::string(PLATFORM_DOS_SEPARATORS ? "c" : "a\\b\\c")));
    EXPECT_EQ(pattern_of("ls src/ "), std::make_pair(std::string("*.*"), std::string("")));
    EXPECT_EQ(pattern_of(""), std::make_pair(std::string("*.*"), std::string("")));
    // A tab is not a blank: it stays in the word.
    EXPECT_EQ(pattern_of("a\tb"), std::make_pair(std::string("a\tb*.*"), std::string("a\tb")));
    // A separator in an earlier word does not count.
    EXPECT_EQ(pattern_of("cp d/x y"), std::make_pair(std::string("y*.*"), std::string("y")));
}

TEST(CompletionPattern, WordThatDoesNotFitGivesNoPattern)
{
    EXPECT_EQ(pattern_of("ls abcdef", 10).first, "abcdef*.*");
    EXPECT_EQ(pattern_of("ls abcdefg", 10).first, ""); // with "*.*" it would need 11 bytes
    EXPECT_EQ(pattern_of("ls abcdefghijkl", 10).first, "");
    EXPECT_EQ(pattern_of("ls abcdefghijkl x", 10).first, "x*.*");
}

class CompletionNextTest : public ::testing::Test
{
  protected:
    std::filesystem::path dir;
    CompletionState state;
    char pattern[1024];
    CompletionStep step{&state, pattern, sizeof pattern, 0, true};
    char line[1024];

    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("vrel_completion_" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "note.txt") << "n";
        std::ofstream(dir / "notice.txt") << "n";
        std::ofstream(dir / "other") << "o";
    }
    void TearDown() override
    {
        state.search.reset();
        std::filesystem::remove_all(dir);
    }
    // Sets the line to "cat DIR/" followed by tail.
    void set_line(const std::string& tail)
    {
        std::strcpy(line, ("cat " + dir.string() + "/" + tail).c_str());
    }
    // One step, the match put into the line as the editors do; the match or "".
    std::string next()
    {
        const char* name = completion_next(&step, line);
        if (!name)
            return "";
        std::strcpy(line + step.insert_at, name);
        return name;
    }
};

TEST_F(CompletionNextTest, MatchesCycleAndStartOver)
{
    set_line("no");
    std::vector<std::string> order = search_order(dir.string() + "/no*.*");
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(next(), order[0]);
    EXPECT_FALSE(step.first);
    EXPECT_EQ(next(), order[1]);
    EXPECT_EQ(next(), order[0]);
    EXPECT_EQ(std::string(line), "cat " + dir.string() + "/" + order[0]);
}

TEST_F(CompletionNextTest, NoMatchLeavesTheFlagSet)
{
    set_line("zz");
    EXPECT_EQ(next(), "");
    EXPECT_TRUE(step.first);
    EXPECT_EQ(state.search.search, nullptr);
}

TEST_F(CompletionNextTest, LineCutBeforeTheInsertionPointStartsANewSearch)
{
    set_line("oth");
    EXPECT_EQ(next(), "other");
    std::strcpy(line, "/no_such_vrel_dir/q"); // the old insertion point lies past its end
    EXPECT_EQ(next(), "");
    EXPECT_STREQ(line, "/no_such_vrel_dir/q");
    EXPECT_TRUE(step.first);
}

TEST_F(CompletionNextTest, NamesBeyondAsciiAreCompletedWhole)
{
    SysCodePage system;
    sys_code_page(&system);
    if (system.number != CODE_PAGE_UTF8)
        GTEST_SKIP() << "the names are written in UTF-8";
    std::ofstream(dir / "caf\xC3\xA9.txt") << "c";
    std::ofstream(dir / "\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80.txt") << "j"; // two kanji, emoji
    set_line("caf");
    EXPECT_EQ(next(), "caf\xC3\xA9.txt");
    set_line("\xE6\x97\xA5");
    step.first = true;
    EXPECT_EQ(next(), "\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80.txt");
}

TEST(CompletionPattern, SecondHalfOfADoubleByteCharacterIsNoSeparator)
{
    CodePageScope code_page(CODE_PAGE_SHIFT_JIS);
    // 0x95 0x5C is one character whose second byte is that of '\'.
    EXPECT_EQ(pattern_of("dir d\\\x95\x5Cx").second,
              std::string(PLATFORM_DOS_SEPARATORS ? "\x95\x5Cx" : "d\\\x95\x5Cx"));
}

// Every match in a round, from a line that ends in `typed`; each line read back by the word
// reader must give the directory and the match's name as one word, with nothing after it.
class CompletionQuotingTest : public CompletionNextTest
{
  protected:
    std::vector<std::string> round(const std::string& typed)
    {
        std::string base = dir.generic_string() + "/";
        std::strcpy(line, ("cat " + typed).c_str());
        step.first = true;
        ShellContext* ctx = fresh_context();
        std::vector<std::string> names;
        for (std::string text = next(); !text.empty() && names.size() < 10; text = next()) {
            char word[1024];
            const char* rest = read_word(word, sizeof word, line + 4, ctx);
            EXPECT_EQ(*skip_blanks(rest), 0) << line;
            EXPECT_EQ(std::string(word).substr(0, base.size()), base) << line;
            std::string name = std::string(word).substr(base.size());
            if (!names.empty() && name == names[0])
                break;
            names.push_back(name);
        }
        return names;
    }
};

TEST_F(CompletionQuotingTest, NamesComeBackWholeInAnyQuotesAndDotsAreNeverOffered)
{
    for (const char* name : {"my file.txt", "my other file.txt", "it's", "a$b;c", "my~"})
        std::ofstream(dir / name) << "m";
    std::string d = dir.generic_string();
    using Names = std::vector<std::string>;
    const Names mine = {"my file.txt", "my other file.txt", "my~"};
    EXPECT_EQ(round(d + "/my"), mine);
    EXPECT_EQ(round("'" + d + "/my"), mine);
    EXPECT_EQ(round("'" + d + "/my o"), Names{"my other file.txt"});
    EXPECT_EQ(round("\"" + d + "/my"), mine);
    EXPECT_EQ(round(d + "/it"), Names{"it's"});
    EXPECT_EQ(round("\"" + d + "/a"), Names{"a$b;c"});
    // Inside quotes opened before the last slash the text closes them.
    EXPECT_EQ(round("'" + d + "/it"), Names{"it's"});
    std::vector<std::string> all = search_order(d + "/*.*");
    all.erase(std::remove_if(all.begin(), all.end(),
                             [](const std::string& n) { return n == "." || n == ".."; }),
              all.end());
    EXPECT_EQ(round(d + "/"), all);
    EXPECT_EQ(round(d + "/."), Names{});
}
