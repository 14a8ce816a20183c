// Tests of the volumes for df and of the system facts.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <string>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

static std::vector<VolumeInfo> volumes(const char* select)
{
    std::vector<VolumeInfo> found;
    EXPECT_TRUE(sys_for_each_volume(
        select,
        [](const VolumeInfo* volume, void* data) {
            static_cast<std::vector<VolumeInfo>*>(data)->push_back(*volume);
        },
        &found));
    return found;
}

TEST(SysForEachVolume, ListsMountedVolumesWithBlocks)
{
    std::vector<VolumeInfo> all = volumes(nullptr);
    ASSERT_FALSE(all.empty());
    for (const VolumeInfo& volume : all) {
        EXPECT_EQ(volume.root[0], '/');
        EXPECT_EQ(volume.letter, 0);
        if (volume.has_geometry) {
            EXPECT_GT(volume.total_clusters, 0u) << volume.root;
            EXPECT_EQ(volume.sectors_per_cluster, 1u);
            EXPECT_LE(volume.free_clusters, volume.total_clusters);
        }
    }
}

TEST(SysForEachVolume, PathSelectsTheVolumeHoldingIt)
{
    char real[PATH_MAX];
    ASSERT_NE(realpath("/tmp", real), nullptr);
    std::vector<VolumeInfo> one = volumes("/tmp/.");
    ASSERT_EQ(one.size(), 1u);
    std::string root = one[0].root;
    EXPECT_EQ(std::string(real).compare(0, root.size(), root), 0);
    std::vector<VolumeInfo> top = volumes("/");
    ASSERT_EQ(top.size(), 1u);
    EXPECT_STREQ(top[0].root, "/");
    EXPECT_TRUE(volumes("/no/such/path").empty());
}

TEST(SysVersion, NumbersAndNameComeFromUname)
{
    struct utsname names;
    uname(&names);
    unsigned major = 0, minor = 0, build = 0;
    sscanf(names.release, "%u.%u.%u", &major, &minor, &build);
    SysVersion version;
    ASSERT_TRUE(sys_version(&version));
    EXPECT_EQ(version.platform_id, 2u);
    EXPECT_EQ(version.major, major);
    EXPECT_EQ(version.minor, minor);
    EXPECT_EQ(version.build, build);
    EXPECT_STREQ(version.service_pack, names.sysname);
}

TEST(SystemFacts, FitOrGiveNothing)
{
    char buffer[256];
    EXPECT_GT(sys_host_name(buffer, sizeof buffer), 0u);
    EXPECT_GT(sys_user_name(buffer, sizeof buffer), 0u);
    EXPECT_EQ(sys_system_directory(buffer, sizeof buffer), 8u);
    EXPECT_STREQ(buffer, "/usr/bin");
    EXPECT_EQ(sys_windows_directory(buffer, sizeof buffer), 1u);
    EXPECT_STREQ(buffer, "/");
    char small[2] = "x";
    EXPECT_EQ(sys_system_directory(small, sizeof small), 0u);
    EXPECT_STREQ(small, "");
}

// The name is read from /etc/passwd without the name service; a user it does not list is
// named by the login's variables.
TEST(SystemFacts, UserNameFromThePasswordFile)
{
    char buffer[256];
    const passwd* entry = getpwuid(geteuid());
    ASSERT_NE(entry, nullptr);
    sys_user_name(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, entry->pw_name);
    if (geteuid() != 0)
        GTEST_SKIP() << "an unlisted user needs root to become";
    pid_t child = fork();
    if (child == 0) {
        setenv("LOGNAME", "unlisted", 1);
        bool named = setuid(54321) == 0 && getpwuid(54321) == nullptr &&
                     sys_user_name(buffer, sizeof buffer) == 8 && std::string(buffer) == "unlisted";
        _exit(named ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
}
