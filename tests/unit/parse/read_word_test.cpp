// Tests of the word reader: quoting, escapes, operator words, expansions and its bounds.
#include "parse/read_word.h"
#include "parse_fixture.h"
#include "test_support.h"

#include <cstring>
#include <string>
#include <vector>

using Words = std::vector<std::string>;

class ReadWord : public ParseTest
{
};

TEST_F(ReadWord, CutsALineWithHomeQuotesAndRedirection)
{
    set("HOME", "c:/home");
    set("d", "x");
    EXPECT_EQ(words("cp ~/a.txt \"$d/b c\">log"),
              (Words{"cp", "c:/home/a.txt", "x/b c", ">", "log"}));
}

TEST_F(ReadWord, QuotesGroupAndDisappear)
{
    EXPECT_EQ(word("a'b c'd"), "ab cd");
    EXPECT_EQ(word("\"a b\"c"), "a bc");
    EXPECT_EQ(word("'a\"b'"), "a\"b");
}

TEST_F(ReadWord, ApostropheInDoubleQuotesStaysAndSwitchesSingleQuoting)
{
    // The closing double quote falls inside single quoting, so it is kept and the word runs on.
    EXPECT_EQ(word("\"it's here\" x"), "it's here\" x");
    set("x", "X");
    EXPECT_EQ(word("\"'$x'\""), "'$x'");
    EXPECT_EQ(word("\"'a'$x\""), "'a'X");
}

TEST_F(ReadWord, SingleQuotesAndBackslashKeepDollar)
{
    set("HOME", "/h");
    EXPECT_EQ(word("'$HOME'"), "$HOME");
    EXPECT_EQ(word("\\$HOME"), "$HOME");
    EXPECT_EQ(word("'~'"), "~");
    EXPECT_EQ(word("\\~"), "~");
    EXPECT_EQ(word("'a\\b'"), "a\\b");
    EXPECT_EQ(word("'`x`'"), "`x`");
}

TEST_F(ReadWord, EscapesMakeControlCharacters)
{
    EXPECT_EQ(word("\\ca"), "!");
    EXPECT_EQ(word("\\c?"), "\x7F");
    EXPECT_EQ(word("\\c["), "\x1B");
    EXPECT_EQ(word("\\cAb"), "\x01"
                             "b");
    EXPECT_EQ(word("a\\ b"), "a b");
    EXPECT_EQ(word("\"a\\\"b\""), "a\"b");
}

TEST_F(ReadWord, BackslashAtTheEndAddsNothing)
{
    const char* text = "ab\\";
    char out[16];
    EXPECT_EQ(read_word(out, sizeof out, text, &ctx), text + 3);
    EXPECT_STREQ(out, "ab");
    text = "ab\\c";
    EXPECT_EQ(read_word(out, sizeof out, text, &ctx), text + 4);
    EXPECT_STREQ(out, "ab");
}

TEST_F(ReadWord, OperatorWordsTakeAtMostGreaterAndE)
{
    EXPECT_EQ(words(">err.log"), (Words{">e", "rr.log"}));
    EXPECT_EQ(words("a>b"), (Words{"a", ">", "b"}));
    const char* operators[] = {">",  ">>",  ">e", ">>e", "<",   "<>", "<>e", "|",
                               "|>", "|>e", "&",  "&>",  "&>e", ";",  ";>",  ";>e"};
    for (const char* op : operators)
        EXPECT_EQ(words(std::string(op) + "x"), (Words{op, "x"})) << op;
    EXPECT_EQ(words(">>>"), (Words{">>", ">"}));
    EXPECT_EQ(words("<<"), (Words{"<", "<"}));
    EXPECT_EQ(words("&&"), (Words{"&", "&"}));
    EXPECT_EQ(words("a|b;c&d"), (Words{"a", "|", "b", ";", "c", "&", "d"}));
}

TEST_F(ReadWord, StopsAtBlanksAndOperatorsOnlyWhenNotQuoted)
{
    EXPECT_EQ(words("a#b c"), (Words{"a"}));
    EXPECT_EQ(word("\"a#b;c|d\""), "a#b;c|d");
    EXPECT_EQ(word("'a b\tc'"), "a b\tc");
}

TEST_F(ReadWord, NewlineStopsEvenInsideQuotes)
{
    const char* text = "\"a\nb\"";
    char out[16];
    EXPECT_EQ(read_word(out, sizeof out, text, &ctx), text + 2);
    EXPECT_STREQ(out, "a");
}

TEST_F(ReadWord, CarriageReturnIsDroppedAndOtherControlBytesKept)
{
    EXPECT_EQ(word("ab\r"), "ab");
    EXPECT_EQ(word("\x01\x02 a\x01"
                   "b"),
              "a\x01"
              "b");
}

TEST_F(ReadWord, ReturnsThePositionOfTheFirstByteNotConsumed)
{
    const char* text = "  abc def";
    char out[16];
    EXPECT_EQ(read_word(out, sizeof out, text, &ctx), text + 5);
    text = "   ";
    EXPECT_EQ(read_word(out, sizeof out, text, &ctx), text + 3);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(ctx.word_end, out);
}

TEST_F(ReadWord, UnterminatedQuoteRunsToTheEnd)
{
    EXPECT_EQ(word("'a b c"), "a b c");
    EXPECT_EQ(word("\"a 'b"), "a 'b");
}

TEST_F(ReadWord, TildeIsHomeAnywhereOutsideSingleQuotes)
{
    set("HOME", "/h");
    EXPECT_EQ(word("~/x"), "/h/x");
    EXPECT_EQ(word("a~b"), "a/hb");
    EXPECT_EQ(word("\"~\""), "/h");
    set("HOME", nullptr);
    EXPECT_EQ(word("a~b"), "ab");
}

TEST_F(ReadWord, BracesEndTheNameAndNameBytesContinueIt)
{
    set("HOME", "/h");
    set("HOMEx", "other");
    set("HOME.bak", "dot");
    EXPECT_EQ(word("${HOME}x"), "/hx");
    EXPECT_EQ(word("$HOMEx"), "other");
    EXPECT_EQ(word("$HOME.bak"), "dot");
    EXPECT_EQ(word("$HOME/x"), "/h/x");
}

TEST_F(ReadWord, SpecialBytesAreOneByteNames)
{
    ctx.status = 3;
    EXPECT_EQ(word("$?x"), "3x");
    EXPECT_EQ(word("$/"), "0");
}

TEST_F(ReadWord, DollarWithoutANameVanishes)
{
    EXPECT_EQ(words("a$ b$"), (Words{"a", "b"}));
    EXPECT_EQ(word("$\"x\""), "x");
    EXPECT_EQ(word("$%"), "%");
}

TEST_F(ReadWord, ExpansionValuesAreNotScannedAgain)
{
    set("v", "a b'c $HOME");
    EXPECT_EQ(words("$v"), (Words{"a b'c $HOME"}));
}

TEST_F(ReadWord, BackquotedCommandRunsAtOnceAndAddsNothing)
{
    set("q", nullptr);
    EXPECT_EQ(word("a`@ q=2+3`b"), "ab");
    EXPECT_EQ(env("q"), "5");
    // Quotes are not looked at while the closing backquote is searched.
    EXPECT_EQ(word("`@ q=1 '`x"), "x");
    EXPECT_EQ(env("q"), "1");
    EXPECT_EQ(word("x`@ q=9"), "x"); // an open backquote runs to the end
    EXPECT_EQ(env("q"), "9");
}

TEST_F(ReadWord, BackquotedCommandTooLongForItsBufferDoesNotRun)
{
    set("q", nullptr);
    std::string fits = "`@ q=4" + std::string(EXPANSION_SIZE - 1 - 5, ' ') + "`x"; // 1023 bytes
    EXPECT_EQ(word(fits), "x");
    EXPECT_EQ(env("q"), "4");
    std::string over = "`@ q=8" + std::string(EXPANSION_SIZE - 5, ' ') + "`y"; // 1024 bytes
    EXPECT_EQ(word(over), "y");
    EXPECT_EQ(env("q"), "4");
}

TEST_F(ReadWord, OuterCallSetsWordEndLast)
{
    set("y", "in");
    char out[64];
    const char* text = "${x-$y}z rest";
    EXPECT_EQ(read_word(out, sizeof out, text, &ctx), text + 8);
    EXPECT_STREQ(out, "inz");
    EXPECT_EQ(ctx.word_end, out + 3);
}

TEST_F(ReadWord, WordExactlyFillingTheAreaIsKept)
{
    char out[8];
    std::memset(out, 'z', sizeof out);
    const char* text = "abcdefg next";
    EXPECT_EQ(read_word(out, 8, text, &ctx), text + 7);
    EXPECT_STREQ(out, "abcdefg");
    EXPECT_EQ(ctx.word_end, out + 7);
}

TEST_F(ReadWord, WordOneByteOverIsCutButConsumedWhole)
{
    char out[9];
    std::memset(out, 'z', sizeof out);
    const char* text = "abcdefgh next";
    EXPECT_EQ(read_word(out, 8, text, &ctx), text + 8);
    EXPECT_STREQ(out, "abcdefg");
    EXPECT_EQ(ctx.word_end, out + 7);
    EXPECT_EQ(out[8], 'z');
    EXPECT_EQ(read_word(out, 1, text, &ctx), text + 8);
    EXPECT_STREQ(out, "");
    const char* op = ">>e x";
    EXPECT_EQ(read_word(out, 2, op, &ctx), op + 3); // an operator word is cut the same way
    EXPECT_STREQ(out, "");
}

TEST_F(ReadWord, ExpansionTooLongForTheAreaIsCutAndNothingFollows)
{
    set("v", "0123456789");
    char out[17];
    std::memset(out, 'z', sizeof out);
    const char* text = "ab${v}${v}cd x";
    EXPECT_EQ(read_word(out, 16, text, &ctx), text + 12);
    // The second value is cut where the area ends; nothing after the cut is added.
    EXPECT_STREQ(out, "ab0123456789012");
    EXPECT_EQ(out[16], 'z');
}

TEST_F(ReadWord, DoubleByteCharacterIsNeverSplitOrInterpreted)
{
    CodePageScope code_page(CODE_PAGE_SHIFT_JIS);
    EXPECT_EQ(word("a\x95\x5C"
                   "b"),
              "a\x95\x5C"
              "b"); // the 0x5C is no escape
    EXPECT_EQ(word("\x81\x60 x"), "\x81\x60");
    EXPECT_EQ(word("\\\x95\x5C"
                   "n"),
              "\x95n"); // an escaped lead does not protect its pair
    char out[4];
    read_word(out, 4, "ab\x95\x5C", &ctx);
    EXPECT_STREQ(out, "ab"); // the character does not fit whole
}

TEST_F(ReadWord, Utf8BytesAreOrdinaryNameBytes)
{
    CodePageScope code_page(CODE_PAGE_UTF8);
    set("gr\xC3\xBC\xC3\x9F", "hi");
    EXPECT_EQ(word("$gr\xC3\xBC\xC3\x9F!"), "hi!");
    EXPECT_EQ(word("\xE2\x82\xAC'a b'"), "\xE2\x82\xAC"
                                         "a b");
}

TEST(ScanName, CopiesNameBytesOrBracedText)
{
    char name[NAME_SIZE];
    const char* text = "ab-c.d/e";
    EXPECT_EQ(scan_name(name, text), text + 6);
    EXPECT_STREQ(name, "ab-c.d");
    text = "{a b'c}x";
    EXPECT_EQ(scan_name(name, text), text + 7);
    EXPECT_STREQ(name, "a b'c");
    text = "{open";
    EXPECT_EQ(scan_name(name, text), text + 5);
    EXPECT_STREQ(name, "open");
    text = "/x";
    EXPECT_EQ(scan_name(name, text), text);
    EXPECT_STREQ(name, "");
}

TEST(ScanName, KeepsA319ByteNameAndCutsA320ByteOne)
{
    char name[NAME_SIZE + 8];
    for (bool braced : {false, true}) {
        std::memset(name, 'z', sizeof name);
        std::string exact(NAME_SIZE - 1, 'n');
        std::string text = braced ? "{" + exact + "}/" : exact + "/";
        EXPECT_EQ(scan_name(name, text.c_str()), text.c_str() + text.size() - 1);
        EXPECT_EQ(std::string(name), exact);
        std::string over(NAME_SIZE, 'o');
        text = braced ? "{" + over + "}/" : over + "/";
        // Cut to 319 bytes, but the whole name is consumed.
        EXPECT_EQ(scan_name(name, text.c_str()), text.c_str() + text.size() - 1);
        EXPECT_EQ(std::string(name), over.substr(0, NAME_SIZE - 1));
        EXPECT_EQ(name[NAME_SIZE], 'z');
    }
}

TEST_F(ReadWord, OverlongNameReadsTheVariableOfItsFirst319Bytes)
{
    std::string cut(NAME_SIZE - 1, 'v');
    set(cut, "found");
    EXPECT_EQ(word("$" + cut + "vvv.x"), "found");
    EXPECT_EQ(word("${" + cut + "vv}y"), "foundy");
}
