// Tests of parameter expansion: operators, modifiers and the limits of their buffers.
#include "parse/expand.h"
#include "parse_fixture.h"

#include <string>

class Expand : public ParseTest
{
};

TEST_F(Expand, UnsetAndEmptyGiveNothing)
{
    set("x", nullptr);
    EXPECT_EQ(expand("x"), "");
    set("x", "");
    EXPECT_EQ(expand("x"), "");
    EXPECT_EQ(expand(""), "");
}

TEST_F(Expand, DashGivesTheArgumentForAnEmptyValue)
{
    set("x", nullptr);
    EXPECT_EQ(word("$x-y"), "y");
    EXPECT_EQ(word("${x-y}"), "y");
    EXPECT_EQ(word("${x-a b}"), "a"); // the argument is one word
    EXPECT_EQ(word("${x-\"a b\"}"), "a b");
    set("x", "v");
    EXPECT_EQ(word("$x-y"), "v");
}

TEST_F(Expand, PlusGivesTheArgumentForASetValue)
{
    set("x", "v");
    EXPECT_EQ(expand("x+set"), "set");
    set("x", nullptr);
    EXPECT_EQ(expand("x+set"), "");
}

TEST_F(Expand, EqualsAssignsOnlyWhenEmpty)
{
    set("x", nullptr);
    EXPECT_EQ(expand("x=5"), "5");
    EXPECT_EQ(env("x"), "5");
    EXPECT_EQ(expand("x=7"), "5");
    EXPECT_EQ(env("x"), "5");
}

TEST_F(Expand, HashAndPercentStripLiteralPrefixAndSuffix)
{
    set("f", "c:/tmp/a.txt");
    EXPECT_EQ(expand("f#c:/"), "tmp/a.txt");
    EXPECT_EQ(expand("f#tmp"), "c:/tmp/a.txt");
    EXPECT_EQ(expand("f#"), "c:/tmp/a.txt");
    EXPECT_EQ(expand("f%.txt"), "c:/tmp/a");
    EXPECT_EQ(expand("f%*.txt"), "c:/tmp/a.txt"); // no wildcards
    EXPECT_EQ(expand("f%"), "c:/tmp/a.txt");
    EXPECT_EQ(expand("f%c:/tmp/a.txt"), "");
    EXPECT_EQ(expand("f%xc:/tmp/a.txt"), "c:/tmp/a.txt");
    // `${#x}` expands the empty base name and strips "x" from nothing.
    EXPECT_EQ(expand("#f"), "");
}

TEST_F(Expand, ArgumentIsReadEvenWhenUnused)
{
    set("x", "v");
    set("q", nullptr);
    EXPECT_EQ(expand("x-`@ q=3`"), "v");
    EXPECT_EQ(env("q"), "3");
}

TEST_F(Expand, PathModifiers)
{
    set("f", "c:/tmp/a.tar.gz");
    EXPECT_EQ(expand("f:e"), "gz");
    EXPECT_EQ(expand("f:f"), "c:/tmp/a.tar");
    EXPECT_EQ(expand("f:n"), "a.tar.gz");
    EXPECT_EQ(expand("f:r"), "c:/tmp/");
    EXPECT_EQ(expand("f:nfu"), "A.TAR");
    EXPECT_EQ(expand("f:ufl"), "c:/tmp/a.tar");
    set("d", "d.x/file");
    EXPECT_EQ(expand("d:e"), "");
    EXPECT_EQ(expand("d:f"), "d.x/file");
    set("b", "plain");
    EXPECT_EQ(expand("b:r"), "");
    EXPECT_EQ(expand("b:n"), "plain");
}

TEST_F(Expand, LengthIsAModifierNotAPrefix)
{
    set("x", "hello");
    EXPECT_EQ(expand("x:?"), "5");
    set("x", nullptr);
    EXPECT_EQ(expand("x:?"), "0");
    set("x", "abc");
    EXPECT_EQ(expand("x:-y"), "abc"); // '-' and 'y' are no modifiers
}

TEST_F(Expand, NumberModifiers)
{
    set("n", "255");
    EXPECT_EQ(expand("n:h"), "000000ff");
    set("n", "4294967296");
    EXPECT_EQ(expand("n:h"), "00000000");
    set("c", "65");
    EXPECT_EQ(expand("c:s"), "A");
    set("c", "321");
    EXPECT_EQ(expand("c:s"), "A");
    set("c", "256");
    EXPECT_EQ(expand("c:s"), "");
    set("a", "A");
    EXPECT_EQ(expand("a:d"), "65");
    set("a", "\xE9");
    EXPECT_EQ(expand("a:d"), "233");
    set("a", nullptr);
    EXPECT_EQ(expand("a:d"), "0");
}

TEST_F(Expand, CutAndTruncate)
{
    set("v", "abcdef");
    EXPECT_EQ(expand("v:c3"), "def");
    EXPECT_EQ(expand("v:c6"), "");
    EXPECT_EQ(expand("v:c9"), "abcdef");
    EXPECT_EQ(expand("v:c"), "abcdef");
    EXPECT_EQ(expand("v:t2"), "ab");
    EXPECT_EQ(expand("v:t0"), "");
    EXPECT_EQ(expand("v:t9"), "abcdef");
    EXPECT_EQ(expand("v:c1t2u"), "BC");
    set("n", "4");
    EXPECT_EQ(word("${v:t$n}"), "abcd");
}

TEST_F(Expand, SlashesCaseAndEmptying)
{
    set("p", "a/b\\c");
    EXPECT_EQ(word("${p:\\\\}"), "a\\b\\c");
    EXPECT_EQ(word("${p:'\\'}"), "a\\b\\c");
    EXPECT_EQ(expand("p:/"), "a/b/c");
    EXPECT_EQ(expand("p:q"), "");
    set("m", "MiXeD");
    EXPECT_EQ(expand("m:l"), "mixed");
    EXPECT_EQ(expand("m:u"), "MIXED");
    EXPECT_EQ(expand("m:"), "MiXeD");
}

TEST_F(Expand, PrintModifierWritesAndKeepsTheValue)
{
    set("x", "shown");
    EXPECT_EQ(expand("x:pu"), "SHOWN");
    EXPECT_EQ(parse_output, "shown");
}

TEST_F(Expand, WordModifierPicksAWord)
{
    set("l", "one two three");
    EXPECT_EQ(expand("l:w2"), "two");
    EXPECT_EQ(expand("l:w9"), "three");
    EXPECT_EQ(expand("l:w0"), "one two three");
    EXPECT_EQ(expand("l:w1u"), "ONE");
    set("l", "'a b' c>d");
    EXPECT_EQ(expand("l:w1"), "a b");
    EXPECT_EQ(expand("l:w3"), ">");
    set("l", "  ");
    EXPECT_EQ(expand("l:w2"), "");
    set("l", "a b#c d");
    EXPECT_EQ(expand("l:w4"), "b"); // a '#' ends the words
}

TEST_F(Expand, WordModifierCutsTheValueAsText)
{
    set("HOME", "/h");
    set("q", nullptr);
    set("r", nullptr);
    const char* const cases[][3] = {
        {"x ~/y $HOME", "l:w2", "~/y"}, {"x ~/y $HOME", "l:w3", "$HOME"},
        {"a `@ q=7`b c", "l:w2", "`@"}, {"${r=`@ q=7`} c", "l:w1", "${r=`@"},
        {"a \"b c\" d", "l:w2", "b c"}, {"${l:w1} x", "l:w1", "${l:w1}"},
    };
    for (const auto& row : cases) {
        set("l", row[0]);
        EXPECT_EQ(expand(row[1]), row[2]) << row[0];
    }
    EXPECT_EQ(env("q"), "");
    EXPECT_EQ(env("r"), "");
}

TEST_F(Expand, ModifierListIsCutAt127Bytes)
{
    set("m", "abc");
    std::string filler(126, 'x');
    EXPECT_EQ(expand("m:" + filler + "u"), "ABC");  // 'u' is byte 127
    EXPECT_EQ(expand("m:" + filler + "xu"), "abc"); // 'u' is byte 128
}

TEST_F(Expand, ValuesUpToTheLongestVariableExpandWhole)
{
    std::string longest(LONGEST_VALUE, 'f');
    set("big", longest.c_str());
    EXPECT_EQ(expand("big"), longest);
    EXPECT_EQ(expand("big:?"), "32766");
    EXPECT_EQ(expand("big:t3u"), "FFF");
    set("x", nullptr);
    EXPECT_EQ(expand("x-$big"), longest);
}

TEST_F(Expand, AValueTooLongForTheBufferIsRefusedNotEmptyOrCut)
{
    set("big", std::string(1500, 'o').c_str());
    set("x", nullptr);
    set("h", std::string(700, 'h').c_str());
    for (const char* name : {"big", "big-short", "big:t2", "x-$h$h", "h:w1"}) {
        char out[1024] = "stale";
        EXPECT_FALSE(expand_parameter(name, &ctx, out, sizeof out)) << name;
        EXPECT_STREQ(out, "") << name;
    }
    char out[1402];
    EXPECT_TRUE(expand_parameter("h:w1", &ctx, out, 1402)); // the value and its word fit
    EXPECT_EQ(std::string(out), std::string(700, 'h'));
    EXPECT_FALSE(expand_parameter("h:w1", &ctx, out, 1401));
}

TEST_F(Expand, HomeIsTheHomeVariable)
{
    set("HOME", "/home/me");
    EXPECT_EQ(expand("HOME"), "/home/me");
}
