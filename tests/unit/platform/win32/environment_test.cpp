// Tests of the environment under Windows.
#include "platform/platform.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

TEST(SysGetEnv, NamesIgnoreCaseAndAValueMustFitWhole)
{
    ASSERT_TRUE(sys_set_env("VREL_Env_Test", "value"));
    char buffer[16] = "stale";
    EXPECT_EQ(sys_get_env("vrel_env_test", buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "value");
    char small[5] = "old";
    EXPECT_EQ(sys_get_env("VREL_ENV_TEST", small, sizeof small), 0u);
    EXPECT_STREQ(small, "");
    EXPECT_EQ(sys_env_length("vrel_env_test"), 5u); // what tells a long value from an unset one
    ASSERT_TRUE(sys_set_env("VREL_ENV_TEST", ""));
    EXPECT_EQ(sys_get_env("VREL_ENV_TEST", buffer, sizeof buffer), 0u);
    EXPECT_EQ(sys_env_length("VREL_ENV_TEST"), 0u);
    ASSERT_TRUE(sys_set_env("VREL_ENV_TEST", nullptr));
    EXPECT_EQ(sys_env_length("VREL_ENV_TEST"), 0u);
    EXPECT_EQ(GetEnvironmentVariableA("VREL_ENV_TEST", buffer, sizeof buffer), 0u);
    EXPECT_TRUE(sys_set_env("VREL_ENV_TEST", nullptr));
}

TEST(SysSetEnv, RefusesAnEmptyNameOrOneWithEquals)
{
    EXPECT_FALSE(sys_set_env("", "x"));
    EXPECT_FALSE(sys_set_env("A=B", "x"));
    char buffer[8];
    EXPECT_EQ(GetEnvironmentVariableA("A", buffer, sizeof buffer), 0u);
}

static void collect(const char* entry, void* data)
{
    static_cast<std::vector<std::string>*>(data)->push_back(entry);
}

TEST(SysForEachEnv, ListsEveryEntryDriveDirectoriesToo)
{
    ASSERT_TRUE(sys_set_env("VREL_LISTED", "a=b"));
    SetEnvironmentVariableA("=Q:", "Q:\\somewhere");
    std::vector<std::string> entries;
    sys_for_each_env(collect, &entries);
    sys_set_env("VREL_LISTED", nullptr);
    SetEnvironmentVariableA("=Q:", nullptr);
    int listed = 0;
    for (const std::string& entry : entries)
        listed += entry == "VREL_LISTED=a=b" || entry == "=Q:=Q:\\somewhere";
    EXPECT_EQ(listed, 2);
}
