// Tests of the environment the POSIX layer keeps itself.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <malloc.h>
#include <string>
#include <vector>

static std::vector<std::string> all_entries()
{
    std::vector<std::string> entries;
    sys_for_each_env(
        [](const char* entry, void* data) {
            static_cast<std::vector<std::string>*>(data)->push_back(entry);
        },
        &entries);
    return entries;
}

TEST(SysSetEnv, SetsReplacesAndRemovesForTheWholeProcess)
{
    char value[64];
    ASSERT_TRUE(sys_set_env("VREL_T_ONE", "first"));
    EXPECT_STREQ(getenv("VREL_T_ONE"), "first"); // the C library sees the layer's array
    ASSERT_TRUE(sys_set_env("VREL_T_ONE", "second"));
    EXPECT_EQ(sys_get_env("VREL_T_ONE", value, sizeof value), 6u);
    EXPECT_STREQ(value, "second");
    ASSERT_TRUE(sys_set_env("VREL_T_ONE", nullptr));
    EXPECT_EQ(getenv("VREL_T_ONE"), nullptr);
    EXPECT_TRUE(sys_set_env("VREL_T_ONE", nullptr)); // removing an absent one is no failure
}

TEST(SysSetEnv, RefusesEmptyNamesAndNamesWithEquals)
{
    EXPECT_FALSE(sys_set_env("", "x"));
    EXPECT_FALSE(sys_set_env("A=B", "x"));
    EXPECT_EQ(getenv("A"), nullptr);
}

TEST(SysSetEnv, NamesAreCaseSensitive)
{
    char value[16];
    sys_set_env("VREL_T_Case", "lower");
    sys_set_env("VREL_T_CASE", "upper");
    sys_get_env("VREL_T_Case", value, sizeof value);
    EXPECT_STREQ(value, "lower");
    sys_set_env("VREL_T_Case", nullptr);
    EXPECT_STREQ(getenv("VREL_T_CASE"), "upper");
    sys_set_env("VREL_T_CASE", nullptr);
}

TEST(SysSetEnv, ReplacedValueKeepsItsPlaceAndNewOnesComeLast)
{
    sys_set_env("VREL_T_A", "1");
    sys_set_env("VREL_T_B", "2");
    sys_set_env("VREL_T_A", "3");
    std::vector<std::string> entries = all_entries();
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[entries.size() - 2], "VREL_T_A=3");
    EXPECT_EQ(entries.back(), "VREL_T_B=2");
    sys_set_env("VREL_T_A", nullptr);
    sys_set_env("VREL_T_B", nullptr);
}

TEST(SysGetEnv, EmptyAbsentAndTooLongValuesGiveNothing)
{
    char value[4] = "xyz";
    sys_set_env("VREL_T_EMPTY", "");
    EXPECT_EQ(sys_get_env("VREL_T_EMPTY", value, sizeof value), 0u);
    EXPECT_STREQ(value, "");
    sys_set_env("VREL_T_LONG", "four");
    EXPECT_EQ(sys_get_env("VREL_T_LONG", value, sizeof value), 0u);
    EXPECT_STREQ(value, "");
    sys_set_env("VREL_T_LONG", "abc"); // exactly fits with its terminator
    EXPECT_EQ(sys_get_env("VREL_T_LONG", value, sizeof value), 3u);
    EXPECT_EQ(sys_get_env("VREL_T_NEVER_SET", value, sizeof value), 0u);
    sys_set_env("VREL_T_LONG", "four");
    EXPECT_EQ(sys_env_length("VREL_T_LONG"), 4u); // what tells a long value from an unset one
    EXPECT_EQ(sys_env_length("VREL_T_EMPTY"), 0u);
    EXPECT_EQ(sys_env_length("VREL_T_NEVER_SET"), 0u);
    sys_set_env("VREL_T_EMPTY", nullptr);
    sys_set_env("VREL_T_LONG", nullptr);
}

TEST(SysSetEnv, SettingInALoopDoesNotGrowMemory)
{
    sys_set_env("VREL_T_LOOP", "start");
    size_t before = mallinfo2().uordblks;
    std::string value;
    for (int i = 0; i < 100000; ++i) {
        value.assign(static_cast<size_t>(i % 200), 'v');
        sys_set_env("VREL_T_LOOP", value.c_str());
    }
    value.clear();
    value.shrink_to_fit();
    EXPECT_LT(mallinfo2().uordblks, before + 4096);
    sys_set_env("VREL_T_LOOP", nullptr);
}
