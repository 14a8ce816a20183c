// Tests of the conditional state machine and the nesting limits of if and repeat.
#include "exec/control.h"

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

char* no_words[] = {nullptr};

// The state one keyword leaves on an inner level that was in `state` (status as given).
uint8_t after(uint8_t state, BuiltinHandler keyword, int32_t status = 0)
{
    ShellContext ctx{};
    ctx.if_states[0] = IF_RUN;
    ctx.if_level = 1;
    ctx.if_states[1] = state;
    ctx.status = status;
    keyword(no_words, &ctx);
    EXPECT_EQ(ctx.if_level, 1);
    return ctx.if_states[1];
}

TEST(IfStates, ThenDecidesOnlyWhileTesting)
{
    EXPECT_EQ(after(IF_TEST, builtin_then, 0), IF_RUN);
    EXPECT_EQ(after(IF_TEST, builtin_then, 1), IF_WAIT);
    EXPECT_EQ(after(IF_TEST, builtin_then, -1), IF_WAIT);
    EXPECT_EQ(after(IF_RUN, builtin_then, 1), IF_RUN);
    EXPECT_EQ(after(IF_WAIT, builtin_then, 0), IF_WAIT);
    EXPECT_EQ(after(IF_SKIP, builtin_then, 0), IF_SKIP);
}

TEST(IfStates, ElifTestsOnlyWhileWaiting)
{
    EXPECT_EQ(after(IF_TEST, builtin_elif), IF_SKIP);
    EXPECT_EQ(after(IF_RUN, builtin_elif), IF_SKIP);
    EXPECT_EQ(after(IF_WAIT, builtin_elif), IF_TEST);
    EXPECT_EQ(after(IF_SKIP, builtin_elif), IF_SKIP);
}

TEST(IfStates, ElseSwitchesBetweenRunAndWait)
{
    EXPECT_EQ(after(IF_TEST, builtin_else), IF_WAIT);
    EXPECT_EQ(after(IF_RUN, builtin_else), IF_WAIT);
    EXPECT_EQ(after(IF_WAIT, builtin_else), IF_RUN);
    EXPECT_EQ(after(IF_SKIP, builtin_else), IF_SKIP);
}

TEST(IfStates, NestedIfTestsOnlyWhereCommandsRun)
{
    const uint8_t outer[] = {IF_TEST, IF_RUN, IF_WAIT, IF_SKIP};
    const uint8_t inner[] = {IF_TEST, IF_TEST, IF_SKIP, IF_SKIP};
    for (int i = 0; i < 4; ++i) {
        ShellContext ctx{};
        ctx.if_level = 1;
        ctx.if_states[1] = outer[i];
        EXPECT_EQ(builtin_if(no_words, &ctx), 0);
        EXPECT_EQ(ctx.if_level, 2);
        EXPECT_EQ(ctx.if_states[2], inner[i]);
        builtin_fi(no_words, &ctx);
        EXPECT_EQ(ctx.if_level, 1);
        EXPECT_EQ(ctx.if_states[1], outer[i]);
    }
}

TEST(IfStates, KeywordsAtTopLevelChangeNothing)
{
    ShellContext ctx{};
    ctx.if_states[0] = IF_RUN;
    BuiltinHandler keywords[] = {builtin_then, builtin_elif, builtin_else, builtin_fi};
    for (BuiltinHandler keyword : keywords) {
        EXPECT_EQ(keyword(no_words, &ctx), 0);
        EXPECT_EQ(ctx.if_level, 0);
        EXPECT_EQ(ctx.if_states[0], IF_RUN);
    }
}

std::string flushed_output()
{
    sys_flush_out();
    return testing::internal::GetCapturedStdout();
}

TEST(BuiltinIf, TenthLevelIsTheLastAndAnEleventhFails)
{
    ShellContext ctx{};
    ctx.if_states[0] = IF_RUN;
    for (int i = 1; i < IF_LEVELS; ++i)
        EXPECT_EQ(builtin_if(no_words, &ctx), 0);
    EXPECT_EQ(ctx.if_level, IF_LEVELS - 1);
    testing::internal::CaptureStdout();
    EXPECT_EQ(builtin_if(no_words, &ctx), -1);
    EXPECT_EQ(flushed_output(), "if:nested too deep\n");
    EXPECT_EQ(ctx.if_level, IF_LEVELS - 1);
    EXPECT_EQ(ctx.if_states[IF_LEVELS - 1], IF_TEST);
}

TEST(BuiltinRepeat, SixthLevelFailsWithoutTouchingTheCounters)
{
    ShellContext ctx{};
    ctx.loop_level = LOOP_LEVELS - 1;
    ctx.loop_counters[LOOP_LEVELS - 1] = 7;
    char count[] = "3";
    char* words[] = {count, nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(builtin_repeat(words, &ctx), -1);
    EXPECT_EQ(flushed_output(), "repeat:nested too deep\n");
    EXPECT_EQ(ctx.loop_level, LOOP_LEVELS - 1);
    EXPECT_EQ(ctx.loop_counters[LOOP_LEVELS - 1], 7);
}

TEST(BuiltinRepeat, WithoutCommandResetsItsCounterAndGivesTheLevelBack)
{
    ShellContext ctx{};
    ctx.loop_counters[1] = 9;
    char count[] = "3";
    char* words[] = {count, nullptr};
    EXPECT_EQ(builtin_repeat(words, &ctx), 0);
    EXPECT_EQ(ctx.loop_level, 0);
    EXPECT_EQ(ctx.loop_counters[1], 0);
}

} // namespace
