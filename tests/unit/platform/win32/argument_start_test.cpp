// Tests that a value quoted with the modifier a reaches a started program as one argument.
#include "core/run_line.h"
#include "test_support.h"
#include "win32_scratch.h"

#include <cstdlib>

using QuotedArgument = Win32Scratch;

// Printable ASCII and tabs, rich in the bytes the rules act on: a test program gets its line
// in Unicode whatever the test's own code page, and ASCII reads the same in each.
static std::string generated_value(uint32_t* state)
{
    static const char special[] = " \t\"\"\\\\\\'$;|";
    std::string value;
    *state = *state * 1103515245u + 12345u;
    for (uint32_t length = *state >> 29; length > 0; --length) {
        *state = *state * 1103515245u + 12345u;
        uint32_t pick = *state >> 16;
        value += pick % 2 ? special[pick / 2 % (sizeof special - 1)]
                          : static_cast<char>(0x20 + pick / 2 % 95);
    }
    return value;
}

TEST_F(QuotedArgument, EveryValueArrivesWholeThroughARealStart)
{
    const char* program = std::getenv("VREL_TEST_SHOW_ARGUMENTS");
    ASSERT_NE(program, nullptr);
    std::string line = "Z:" + std::string(program) + " ";
    ShellContext* ctx = fresh_context();
    uint32_t state = 11;
    for (int round = 0; round < 12; ++round) {
        std::string expected, command = line;
        for (int i = 0; i < 16; ++i) {
            std::string value = generated_value(&state), name = "v" + std::to_string(i);
            ASSERT_TRUE(sys_set_env(name.c_str(), value.c_str()));
            command += "${" + name + ":a} ";
            expected += value + '\0';
        }
        ASSERT_EQ(run_line((command + ">args").c_str(), ctx), 0) << command;
        EXPECT_EQ(file_text("args"), expected);
    }
}
