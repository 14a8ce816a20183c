// Tests of set, unset, echo, cd, true and ctrlkey.
#include "exec/simple.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

struct Words {
    std::vector<std::vector<char>> text;
    std::vector<char*> list;
    Words(std::initializer_list<const char*> words)
    {
        for (const char* w : words)
            text.emplace_back(w, w + std::strlen(w) + 1);
        for (auto& t : text)
            list.push_back(t.data());
        list.push_back(nullptr);
    }
    char** words() { return list.data(); }
};

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

std::string echo_output(std::initializer_list<const char*> args)
{
    Words words(args);
    Shell s;
    testing::internal::CaptureStdout();
    EXPECT_EQ(builtin_echo(words.words(), &s.ctx), 0);
    sys_flush_out();
    std::string out = testing::internal::GetCapturedStdout();
    std::erase(out, '\r');
    return out;
}

} // namespace

TEST(BuiltinSet, AssignsTheRestOfTheWordEvenWhenEmpty)
{
    Shell s;
    Words words{"VREL_T_A=x=y", "VREL_T_B="};
    EXPECT_EQ(builtin_set(words.words(), &s.ctx), 0);
    EXPECT_EQ(env_entry("VREL_T_A"), "x=y");
    EXPECT_EQ(env_entry("VREL_T_B"), "");
    sys_set_env("VREL_T_A", nullptr);
    sys_set_env("VREL_T_B", nullptr);
}

TEST(BuiltinSet, BracedNameMayHoldABlank)
{
    Shell s;
    Words words{"{VREL T}=1"};
    EXPECT_EQ(builtin_set(words.words(), &s.ctx), 0);
    EXPECT_EQ(env_entry("VREL T"), "1");
    sys_set_env("VREL T", nullptr);
}

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

TEST(BuiltinSet, StopsAtTheFirstBadWordKeepingEarlierOnes)
{
    Shell s;
    Words words{"4", "VREL_T_X=1", "foo", "VREL_T_Y=2"};
    EXPECT_EQ(builtin_set(words.words(), &s.ctx), -1);
    EXPECT_EQ(s.ctx.options, OPT_ECHO);
    EXPECT_EQ(env_entry("VREL_T_X"), "1");
    EXPECT_EQ(env_entry("VREL_T_Y"), "(unset)");
    sys_set_env("VREL_T_X", nullptr);
}

TEST(BuiltinSet, NameWithoutValueAndDashWordsAreErrors)
{
    Shell s;
    Words path{"PATH"};
    EXPECT_EQ(builtin_set(path.words(), &s.ctx), -1);
    Words dash{"-x"};
    EXPECT_EQ(builtin_set(dash.words(), &s.ctx), -1);
    EXPECT_EQ(s.ctx.options, OPT_TRACE);
}

TEST(BuiltinSet, DigitNameWithEqualsIsAnAssignment)
{
    Shell s;
    Words words{"1=x"};
    EXPECT_EQ(builtin_set(words.words(), &s.ctx), 0);
    EXPECT_EQ(env_entry("1"), "x");
    EXPECT_EQ(s.ctx.options, OPT_TRACE);
    sys_set_env("1", nullptr);
}

TEST(BuiltinSet, NameTooLongForTheBufferIsRefusedNotShortened)
{
    Shell s;
    std::string name(400, 'N');
    std::string word = name + "=v";
    Words words{word.c_str()};
    EXPECT_EQ(builtin_set(words.words(), &s.ctx), -1);
    EXPECT_EQ(env_entry(name.substr(0, 319).c_str()), "(unset)");
    // The longest name that fits is still set.
    std::string longest(319, 'M');
    std::string fits = longest + "=v";
    Words ok{fits.c_str()};
    EXPECT_EQ(builtin_set(ok.words(), &s.ctx), 0);
    EXPECT_EQ(env_entry(longest.c_str()), "v");
    sys_set_env(longest.c_str(), nullptr);
}

TEST(BuiltinSet, ListingShowsEveryEntryOnItsOwnLine)
{
    Shell s;
    sys_set_env("VREL_T_LIST", "a b");
    Words none{};
    testing::internal::CaptureStdout();
    EXPECT_EQ(builtin_set(none.words(), &s.ctx), 0);
    sys_flush_out();
    std::string out = "\n" + testing::internal::GetCapturedStdout();
    std::erase(out, '\r');
    EXPECT_NE(out.find("\nVREL_T_LIST=a b\n"), std::string::npos);
    sys_set_env("VREL_T_LIST", nullptr);
}

TEST(BuiltinUnset, RemovesAndIgnoresMissingNames)
{
    Shell s;
    sys_set_env("VREL_T_U", "1");
    Words words{"VREL_T_NOSUCH", "VREL_T_U"};
    EXPECT_EQ(builtin_unset(words.words(), &s.ctx), 0);
    EXPECT_EQ(env_entry("VREL_T_U"), "(unset)");
}

TEST(BuiltinEcho, LeadingNoNewlineSwitchesOnly)
{
    EXPECT_EQ(echo_output({}), "\n");
    EXPECT_EQ(echo_output({"-n"}), "");
    EXPECT_EQ(echo_output({"-n", "-n", "a", "-n"}), "a -n");
    EXPECT_EQ(echo_output({"a", "-n"}), "a -n\n");
    EXPECT_EQ(echo_output({"-nn", "b"}), "-nn b\n");
    EXPECT_EQ(echo_output({"", "x", ""}), " x \n");
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

namespace
{

struct CurrentDirectoryKeeper {
    char saved[1024];
    CurrentDirectoryKeeper() { sys_get_current_directory(saved, sizeof saved); }
    ~CurrentDirectoryKeeper() { sys_set_current_directory(saved); }
};

std::string current_directory()
{
    char buffer[1024];
    sys_get_current_directory(buffer, sizeof buffer);
    return buffer;
}

} // namespace

TEST(BuiltinCd, ChangesWithOneFailsWithMinusOne)
{
    CurrentDirectoryKeeper keep;
    Shell s;
    std::string target = ::testing::TempDir();
    Words words{target.c_str(), "ignored"};
    EXPECT_EQ(builtin_cd(words.words(), &s.ctx), 1);
    std::string here = current_directory();
    Words missing{"vrel_no_such_directory"};
    EXPECT_EQ(builtin_cd(missing.words(), &s.ctx), -1);
    EXPECT_EQ(current_directory(), here);
}

TEST(BuiltinCd, WithoutHomeDoesNothing)
{
    CurrentDirectoryKeeper keep;
    Shell s;
    char home[1024] = "";
    bool had_home = sys_get_env("HOME", home, sizeof home) > 0;
    std::string before = current_directory();
    sys_set_env("HOME", "");
    Words none{};
    EXPECT_EQ(builtin_cd(none.words(), &s.ctx), 0);
    EXPECT_EQ(current_directory(), before);
    sys_set_env("HOME", ::testing::TempDir().c_str());
    EXPECT_EQ(builtin_cd(none.words(), &s.ctx), 1);
    sys_set_env("HOME", had_home ? home : nullptr);
}
