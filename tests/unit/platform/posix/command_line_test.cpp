// Tests of cutting a command line into arguments as Windows programs cut it.
#include "posix_layer.h"

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
