// Tests of the special parameters, dynamic variables, positional parameters and read_env.
#include "parse/strings.h"
#include "parse/variables.h"
#include "parse_fixture.h"

#include <regex>
#include <string>

class SpecialValue : public ParseTest
{
  protected:
    char out[EXPANSION_SIZE];
    std::string value(const char* name)
    {
        out[0] = 'z';
        out[1] = 0;
        int result = special_value(name, &ctx, out, sizeof out);
        EXPECT_EQ(result, 0) << name;
        return out;
    }
};

TEST_F(SpecialValue, StatusShowsItsLow16Bits)
{
    ctx.status = -1;
    EXPECT_EQ(value("?"), "65535");
    ctx.status = 65537;
    EXPECT_EQ(value("?"), "1");
    ctx.status = 7;
    EXPECT_EQ(value("?x"), "7"); // only the first byte counts
}

TEST_F(SpecialValue, SlashIsTheCurrentRepeatPass)
{
    EXPECT_EQ(value("/"), "0");
    ctx.loop_level = 2;
    ctx.loop_counters[2] = 65535;
    EXPECT_EQ(value("/"), "65535");
    ctx.loop_level = LOOP_LEVELS;
    EXPECT_EQ(value("/"), "0");
    ctx.loop_level = -1;
    EXPECT_EQ(value("/"), "0");
}

TEST_F(SpecialValue, PositionalParametersComeFromTheCurrentFrame)
{
    EXPECT_EQ(value("0"), "");
    EXPECT_EQ(value("1"), "");
    EXPECT_EQ(value("*"), "");
    EXPECT_EQ(value("@"), "");
    char f[] = "f", a[] = "a", b[] = "b";
    char* frame[] = {f, a, b, nullptr};
    ctx.frame_level = 1;
    ctx.frames[1] = frame;
    EXPECT_EQ(value("0"), "f");
    EXPECT_EQ(value("1"), "a");
    EXPECT_EQ(value("12"), "a");
    EXPECT_EQ(value("3"), "");
    EXPECT_EQ(value("9"), "");
    EXPECT_EQ(value("*"), "a b");
    EXPECT_EQ(value("@"), "a b");
    ctx.frame_level = FRAME_LEVELS; // a level past the array is never read
    EXPECT_EQ(value("1"), "");
    EXPECT_EQ(value("*"), "");
}

TEST_F(SpecialValue, ParametersAreWholeOrTooLongNeverCut)
{
    std::string long_word(600, 'w');
    char name[] = "f";
    char* frame[] = {name, long_word.data(), long_word.data(), nullptr};
    ctx.frame_level = 1;
    ctx.frames[1] = frame;
    EXPECT_EQ(special_value("*", &ctx, out, sizeof out), VALUE_TOO_LONG);
    EXPECT_STREQ(out, "");
    char wide[1202];
    EXPECT_EQ(special_value("@", &ctx, wide, sizeof wide), 0);
    EXPECT_EQ(std::string(wide), long_word + " " + long_word);
    EXPECT_EQ(special_value("1", &ctx, out, 600), VALUE_TOO_LONG);
    EXPECT_EQ(special_value("1", &ctx, out, 601), 0);
    EXPECT_EQ(special_value("VERSION", &ctx, out, 8), VALUE_TOO_LONG);
    set("long", std::string(EXPANSION_SIZE, 'l').c_str()); // set, so never taken for unset
    EXPECT_EQ(special_value("long", &ctx, out, sizeof out), VALUE_TOO_LONG);
}

TEST_F(SpecialValue, DynamicVariablesGoBeforeTheEnvironment)
{
    set("PWD", "/nowhere");
    char directory[EXPANSION_SIZE];
    sys_get_current_directory(directory, sizeof directory);
    to_forward_slashes(directory);
    EXPECT_EQ(value("PWD"), directory);
    set("USERNAME", "someone-else");
    char user[256];
    sys_user_name(user, sizeof user);
    EXPECT_EQ(value("USERNAME"), user);
}

TEST_F(SpecialValue, PositionalParametersGoBeforeTheEnvironment)
{
    set("1", "from-env");
    set("1x", "from-env");
    EXPECT_EQ(value("1"), "");
    EXPECT_EQ(value("1x"), "");
}

TEST_F(SpecialValue, DynamicNamesMatchWithCase)
{
    set("pwd", "lower");
    EXPECT_EQ(value("pwd"), "lower");
    set("PWDX", "longer");
    EXPECT_EQ(value("PWDX"), "longer");
}

TEST_F(SpecialValue, SystemDirectoriesUseForwardSlashes)
{
    EXPECT_EQ(value("SYSTEMDIR").find('\\'), std::string::npos);
    EXPECT_EQ(value("WINDOWSDIR").find('\\'), std::string::npos);
    EXPECT_NE(value("SYSTEMDIR"), "");
}

TEST_F(SpecialValue, SysverHasTheVersionFormat)
{
    EXPECT_TRUE(std::regex_match(value("SYSVER"), std::regex("\\d+ \\d+\\.\\d+ \\d+ \\(.*\\)")))
        << out;
}

TEST_F(SpecialValue, VersionIsTheBanner) { EXPECT_EQ(value("VERSION").rfind("vrel ", 0), 0u); }

TEST_F(SpecialValue, RandomFollowsTheFixedSequence)
{
    // The generator is never seeded; nothing before this test draws from it.
    EXPECT_EQ(value("RANDOM"), "41");
    EXPECT_EQ(value("RANDOM"), "18467");
    EXPECT_EQ(value("RANDOM"), "6334");
}

TEST_F(SpecialValue, GetkeyWaitsForAKey)
{
    parse_keys = {97, 224, 72};
    EXPECT_EQ(value("GETKEY"), "97");
    EXPECT_EQ(value("GETKEYx"), "224");
    EXPECT_EQ(value("GETKEY"), "72");
    EXPECT_EQ(value("GETKEY"), "0"); // the end of input
}

TEST_F(SpecialValue, GetkeyZeroPeeksAndOnePolls)
{
    key_source = sys_read_key;
    sys_unread_key('k');
    EXPECT_EQ(value("GETKEY0"), "107");
    EXPECT_EQ(value("GETKEY0"), "107"); // still waiting
    EXPECT_EQ(value("GETKEY1"), "107"); // taken now
}

TEST_F(SpecialValue, UnsetVariableIsNotFound)
{
    set("nothing_here", nullptr);
    out[0] = 'z';
    EXPECT_EQ(special_value("nothing_here", &ctx, out, sizeof out), -1);
    EXPECT_STREQ(out, "");
    set("plain", "value");
    EXPECT_EQ(value("plain"), "value");
}

TEST_F(SpecialValue, ReadEnvTreatsEmptyAndOverlongAsNotFound)
{
    char buffer[ENV_VALUE_SIZE];
    set("e", "");
    buffer[0] = 'z';
    EXPECT_EQ(read_env("e", buffer), -1);
    EXPECT_STREQ(buffer, "");
    std::string fits(ENV_VALUE_SIZE - 1, 'f');
    set("e", fits.c_str());
    EXPECT_EQ(read_env("e", buffer), 0);
    EXPECT_EQ(std::string(buffer), fits);
    set("e", (fits + "x").c_str());
    EXPECT_EQ(read_env("e", buffer), -1);
    EXPECT_STREQ(buffer, "");
}
