// Tests of cutting a command line into arguments as Windows programs cut it.
#include "parse/program_argument.h"
#include "posix_layer.h"

#include <cstdio>

#include <gtest/gtest.h>

using Args = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheRulesOfWindowsPrograms)
{
    const struct {
        const char* line;
        Args args;
    } cases[] = {
        {"p a\t b  ", {"p", "a", "b"}},
        {"p \"a b\" c\"d e\"f", {"p", "a b", "cd ef"}},
        {"p a\\b \\\\\\\\c", {"p", "a\\b", "\\\\\\\\c"}}, // backslashes alone stay
        {"p \\\"a \\\\\"b c\" \\\\\\\"d", {"p", "\"a", "\\b c", "\\\"d"}},
        {"p \"\" \"a\"\"b c", {"p", "", "a\"b", "c"}}, // "" in a quoted run: a quote, run ends
        {"p \"a\"\"b c\"", {"p", "a\"b", "c"}},
        {"p \"\"\"a\" b", {"p", "\"a b"}}, // three quotes in a row outside: one, quoted again
        {"p \"open run", {"p", "open run"}},
        {"p \\\"\" x", {"p", "\" x"}}, // a literal quote, then one that opens a run
        {"p \"\"\"\"\"\" y", {"p", "\"\"", "y"}},
        {"p a\"\"\"\"b c", {"p", "a\"b c"}},
        {"\"my prog\"x y", {"my prog", "x", "y"}}, // the name ends at its closing quote
        {"a\\\"b c", {"a\\\"b", "c"}},             // in the name a backslash is a byte
        {"", {""}},
    };
    for (const auto& test : cases)
        EXPECT_EQ(split_command_line(test.line), test.args) << test.line;
    EXPECT_STREQ(command_line_arguments("vrel \t echo  'a  b'"), "echo  'a  b'");
    EXPECT_STREQ(command_line_arguments("\"a b\" c"), "c");
}

// Values of every byte but NUL and line breaks, rich in the bytes the rules act on.
static std::string generated_value(uint32_t* state)
{
    static const char special[] = " \t\"\\\\\\''$;|>";
    std::string value;
    *state = *state * 1103515245u + 12345u;
    for (uint32_t length = *state >> 28; length > 0; --length) {
        *state = *state * 1103515245u + 12345u;
        uint32_t pick = *state >> 16;
        char c = pick % 2 ? special[pick / 2 % (sizeof special - 1)] : static_cast<char>(pick >> 8);
        value += c == 0 || c == '\n' || c == '\r' ? 'x' : c;
    }
    return value;
}

TEST(QuoteArgument, AnyValueArrivesAsOneIdenticalArgument)
{
    uint32_t state = 7;
    for (int round = 0; round < 3000; ++round) {
        std::string value = generated_value(&state), tail = generated_value(&state);
        char quoted[64];
        std::snprintf(quoted, sizeof quoted, "%s", value.c_str());
        ASSERT_TRUE(quote_argument(quoted, sizeof quoted));
        EXPECT_EQ(split_command_line(("p " + std::string(quoted) + " z").c_str()),
                  Args({"p", value, "z"}))
            << quoted;
        char back[64];
        if (quoted[0] == '"') {
            ASSERT_TRUE(unquote_whole_argument(quoted, back, sizeof back)) << quoted;
            EXPECT_EQ(back, value);
            // A second argument after it: not one argument alone.
            EXPECT_FALSE(unquote_whole_argument((quoted + (" x" + tail)).c_str(), back, 64));
        }
    }
}
