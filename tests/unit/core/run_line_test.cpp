// Tests of line execution at its limits.
#include "console/output.h"
#include "core/run_line.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

TEST(InsertShellName, MovesEveryWordUp)
{
    char a[] = "ls", b[] = "-l";
    char* argv[] = {a, b, nullptr, nullptr};
    insert_shell_name(argv);
    EXPECT_STREQ(argv[0], "vrel");
    EXPECT_EQ(argv[1], a);
    EXPECT_EQ(argv[2], b);
    EXPECT_EQ(argv[3], nullptr);
}

TEST(RunLine, EmptyAndCommentLinesRunNothing)
{
    ShellContext* ctx = fresh_context();
    ctx->status = 5;
    EXPECT_EQ(run_line("", ctx), 0);
    EXPECT_EQ(run_line("   \t ", ctx), 0);
    EXPECT_EQ(run_line("  # true 3", ctx), 0);
    EXPECT_EQ(ctx->status, 5); // a line without words leaves the status alone
}

TEST(RunLine, AWordPerByteFitsTheLists)
{
    ShellContext* ctx = fresh_context();
    std::string semicolons(3000, ';');
    EXPECT_EQ(run_line(semicolons.c_str(), ctx), 0);
    std::string many_words;
    for (int i = 0; i < 5000; ++i)
        many_words += ";:";
    EXPECT_EQ(run_line(many_words.c_str(), ctx), 0);
}

TEST(RunLine, RefusesLinesBeyondTheLongestLine)
{
    ShellContext* ctx = fresh_context();
    std::string line = "true 3 " + std::string(100000, 'x');
    std::string out = capture_output([&] { EXPECT_EQ(run_line(line.c_str(), ctx), -1); });
    EXPECT_EQ(out, "vrel:line too long\n");
}

TEST(RunLine, ALineItsExpansionsOverflowIsRefusedAndRunsNothing)
{
    ShellContext* ctx = fresh_context();
    sys_set_env("vrel_t_big", std::string(20000, 'b').c_str());
    sys_set_env("vrel_t_ran", nullptr);
    std::string out = capture_output(
        [&] { EXPECT_EQ(run_line("set vrel_t_ran=1; echo $vrel_t_big$vrel_t_big", ctx), -1); });
    EXPECT_EQ(out, "vrel:line too long\n");
    EXPECT_EQ(sys_env_length("vrel_t_ran"), 0u);
    out = capture_output([&] { EXPECT_EQ(run_line("echo $vrel_t_big", ctx), 0); });
    EXPECT_EQ(out, std::string(20000, 'b') + "\n");
    sys_set_env("vrel_t_big", nullptr);
}

TEST(RunLine, DefinitionModeTakesTheLineUnexpanded)
{
    ShellContext* ctx = fresh_context();
    ctx->options |= OPT_DEFINING;
    EXPECT_EQ(run_line("true 3", ctx), 0);
    EXPECT_EQ(ctx->status, 0);
    ctx->options &= ~OPT_DEFINING;
}

TEST(RunLine, LongLinesNestTwiceButNotThreeTimes)
{
    ShellContext* ctx = fresh_context();
    std::string x(8500, 'x');
    std::string two = "eval 'echo " + x + "'";
    std::string three = "eval \"" + two + "\"";
    EXPECT_EQ(capture_output([&] { EXPECT_EQ(run_line(two.c_str(), ctx), 0); }), x + "\n");
    std::string out = capture_output([&] { EXPECT_LT(run_line(three.c_str(), ctx), 0); });
    EXPECT_EQ(out.rfind("vrel:nested too deep\n", 0), 0u) << out.substr(0, 80);
    // The budget is given back on the way out: the two levels still run afterwards.
    EXPECT_EQ(capture_output([&] { EXPECT_EQ(run_line(two.c_str(), ctx), 0); }), x + "\n");
}

TEST(RunLine, AFunctionThatCallsItselfThroughBackquotesEndsAtTheFrameLimit)
{
    // Found by fuzzing: a function named like a built-in, calling itself from backquotes
    // inside its own body, at the deepest frames ran the stack out in the sanitizer build.
    ShellContext* ctx = fresh_context();
    std::string out = capture_output([&] {
        run_line("function echo 'echo co````````mod +r(fval x'; eval 'echo a'; unfunc echo", ctx);
    });
    EXPECT_NE(out.find("echo:command error(0)"), std::string::npos) << out;
}

TEST(RunLine, ACheckBudgetEndsAnEndlessLoopAsAnInterruptWould)
{
    // How the fuzzers bound an input: loop passes and writes are counted alike.
    check_budget = 40;
    std::string out =
        capture_output([] { EXPECT_THROW(run_line("lwhile echo x", fresh_context()), Interrupt); });
    interrupted = 0;
    EXPECT_EQ(check_budget, 0u); // a budget spent leaves no bound behind
    EXPECT_TRUE(out.size() > 20 && out.size() < 80) << out;
}
