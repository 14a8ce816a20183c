// Tests of the state a child shell takes over through the environment.
#include "exec/child_shell.h"

#include "exec/functions.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

// A store filled to its last byte, bytes of every kind in it, arrives whole.
TEST(ChildShellState, FunctionsOptionsAndKeysArriveAndTheVariableIsGone)
{
    ShellContext* ctx = fresh_context();
    func_define(ctx, "f");
    ctx->options |= OPT_DEFINING;
    func_add_line(ctx, "echo \x01\xff in f");
    for (int i = 0; i < 66; ++i)
        func_add_line(ctx, std::string(60, 'x').c_str());
    func_add_line(ctx, std::string(36, 'y').c_str());
    func_add_line(ctx, "}");
    ASSERT_EQ(std::strlen(func_find(ctx, "f")), DEFINITIONS_SIZE - 4); // "f", NULs, terminator
    std::string sent(func_find(ctx, "f"));
    ctx->store->key_actions[20] = 0x80;
    ctx->options = OPT_ECHO | OPT_NOEXIT | OPT_PIPE; // tracing off; the pipe is not handed on
    {
        StateHandOver hand_over(ctx, true);
        ctx = fresh_context(); // the child: start values, an empty store
        ASSERT_TRUE(take_over_state(ctx));
        EXPECT_EQ(sys_env_length(CHILD_STATE_VARIABLE), 0u); // read once, by this shell only
    }
    EXPECT_EQ(ctx->options, OPT_ECHO | OPT_NOEXIT);
    EXPECT_EQ(ctx->store->key_actions[20], 0x80);
    EXPECT_EQ(func_find(ctx, "f"), sent);
    EXPECT_FALSE(take_over_state(ctx));
}

TEST(ChildShellState, NoStateOrABrokenOneIsIgnoredAndRemoved)
{
    ShellContext* ctx = fresh_context();
    {
        StateHandOver idle(ctx, false);
    }
    EXPECT_EQ(sys_env_length(CHILD_STATE_VARIABLE), 0u);
    std::string whole(8 + 64, '0');
    for (const std::string& text :
         {std::string("zz"), whole, whole + "660000", whole + "66000000"}) {
        sys_set_env(CHILD_STATE_VARIABLE, text.c_str());
        EXPECT_EQ(take_over_state(ctx), text == whole + "66000000") << text;
        EXPECT_EQ(sys_env_length(CHILD_STATE_VARIABLE), 0u);
    }
}
