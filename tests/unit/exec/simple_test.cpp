// Tests of set, true and ctrlkey where their effect is not seen from outside the shell.
#include "exec/simple.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

using Words = WordList;

struct Shell {
    FunctionStore store{};
    ShellContext ctx{};
    Shell()
    {
        ctx.store = &store;
        ctx.options = OPT_TRACE;
        ctx.pending_pipe = SYS_NO_HANDLE;
    }
};

// "(unset)", or the value, empty ones included (sys_get_env cannot tell those apart).
std::string env_entry(const char* name)
{
    struct Find {
        std::string prefix;
        std::string value = "(unset)";
    } find{std::string(name) + "="};
    sys_for_each_env(
        [](const char* entry, void* data) {
            auto* f = static_cast<Find*>(data);
            if (std::strncmp(entry, f->prefix.c_str(), f->prefix.size()) == 0)
                f->value = entry + f->prefix.size();
        },
        &find);
    return find.value;
}

} // namespace

TEST(BuiltinSet, OptionNumberRewritesOnlyTheSettableBits)
{
    Shell s;
    s.ctx.options = OPT_DEFINING | OPT_NOEXIT | OPT_TRACE;
    Words four{"4"};
    EXPECT_EQ(builtin_set(four.words(), &s.ctx), 0);
    EXPECT_EQ(s.ctx.options, OPT_DEFINING | OPT_ECHO);
    Words zero{"0"};
    builtin_set(zero.words(), &s.ctx);
    EXPECT_EQ(s.ctx.options, OPT_DEFINING);
    // Other bits of the number are ORed in as they are; trailing text after digits is ignored.
    Words other{"40x"};
    builtin_set(other.words(), &s.ctx);
    EXPECT_EQ(s.ctx.options, OPT_DEFINING | OPT_TRACE | OPT_NOWAIT);
}

TEST(BuiltinSet, NameTooLongForTheBufferIsRefusedNotShortened)
{
    Shell s;
    std::string name(400, 'N');
    std::string word = name + "=v";
    Words words{word.c_str()};
    EXPECT_EQ(builtin_set(words.words(), &s.ctx), -1);
    EXPECT_EQ(env_entry(name.substr(0, 319).c_str()), "(unset)");
    std::string braced = "{" + name + "}=v";
    Words braced_words{braced.c_str()};
    EXPECT_EQ(builtin_set(braced_words.words(), &s.ctx), -1);
    // The longest name that fits is still set.
    std::string longest(319, 'M');
    std::string fits = longest + "=v";
    Words ok{fits.c_str()};
    EXPECT_EQ(builtin_set(ok.words(), &s.ctx), 0);
    EXPECT_EQ(env_entry(longest.c_str()), "v");
    sys_set_env(longest.c_str(), nullptr);
}

TEST(BuiltinTrue, StatusIsTheLeadingNumber)
{
    Shell s;
    Words none{};
    EXPECT_EQ(builtin_true(none.words(), &s.ctx), 0);
    const std::pair<const char*, int32_t> cases[] = {
        {"0", 0}, {"abc", 0}, {"7", 7}, {"12x", 12}, {"4294967295", -1},
    };
    for (const auto& [word, status] : cases) {
        Words words{word, "9"}; // further words are ignored
        EXPECT_EQ(builtin_true(words.words(), &s.ctx), status) << word;
    }
}

TEST(BuiltinCtrlkey, StoresMaskedPairsAndIgnoresAnOddWord)
{
    Shell s;
    std::memset(s.store.key_actions, 0xAA, sizeof s.store.key_actions);
    Words words{"41", "0", "2", "259", "31", "x", "7"};
    EXPECT_EQ(builtin_ctrlkey(words.words(), &s.ctx), 0);
    EXPECT_EQ(s.store.key_actions[9], 0);
    EXPECT_EQ(s.store.key_actions[2], 3);
    EXPECT_EQ(s.store.key_actions[31], 0);
    EXPECT_EQ(s.store.key_actions[7], 0xAA);
    int changed = 0;
    for (uint8_t action : s.store.key_actions)
        changed += action != 0xAA;
    EXPECT_EQ(changed, 3);
}
