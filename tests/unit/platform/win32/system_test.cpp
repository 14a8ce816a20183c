// Tests of the process, system facts, volumes, searches and times under Windows.
#include "win32_scratch.h"

#include <csignal>
#include <set>

static int signals_seen[2];
static void record_signal(int number) { signals_seen[signals_seen[0] ? 1 : 0] = number; }

TEST(SysOnInterrupt, StaysInForceForEverySignal)
{
    sys_on_interrupt(record_signal);
    std::raise(SIGTERM);
    EXPECT_EQ(signals_seen[0], 15);
    std::raise(SIGBREAK); // still in force: no second installation
    EXPECT_EQ(signals_seen[1], 21);
    EXPECT_NE(std::signal(SIGTERM, SIG_DFL), SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

TEST(SysCommandLine, IsTheSystemsOwnLine)
{
    sys_init(0, nullptr);
    EXPECT_STREQ(sys_command_line(), GetCommandLineA());
}

TEST(SystemFacts, DirectoriesNamesAndVersionComeFromTheSystem)
{
    char buffer[MAX_PATH], expected[MAX_PATH];
    GetSystemDirectoryA(expected, MAX_PATH);
    EXPECT_EQ(sys_system_directory(buffer, sizeof buffer), strlen(expected));
    EXPECT_STREQ(buffer, expected);
    GetWindowsDirectoryA(expected, MAX_PATH);
    EXPECT_EQ(sys_windows_directory(buffer, sizeof buffer), strlen(expected));
    EXPECT_STREQ(buffer, expected);
    char small[3] = "ab";
    EXPECT_EQ(sys_windows_directory(small, sizeof small), 0u);
    EXPECT_STREQ(small, "");
    EXPECT_GT(sys_host_name(buffer, sizeof buffer), 0u);
    EXPECT_GT(sys_user_name(buffer, sizeof buffer), 0u);
    SysVersion version;
    ASSERT_TRUE(sys_version(&version));
    EXPECT_EQ(version.platform_id, static_cast<uint32_t>(VER_PLATFORM_WIN32_NT));
    EXPECT_GE(version.major, 5u);
}

static void collect_volume(const VolumeInfo* volume, void* data)
{
    static_cast<std::vector<VolumeInfo>*>(data)->push_back(*volume);
}

TEST(SysForEachVolume, ALetterSelectsThatDriveOnly)
{
    for (const char* select : {"c", "C:"}) {
        std::vector<VolumeInfo> volumes;
        ASSERT_TRUE(sys_for_each_volume(select, collect_volume, &volumes));
        ASSERT_EQ(volumes.size(), 1u) << select;
        EXPECT_STREQ(volumes[0].root, "C:\\");
        EXPECT_EQ(volumes[0].letter, 'C');
        EXPECT_TRUE(volumes[0].has_geometry);
        EXPECT_GT(volumes[0].total_clusters, 0u);
    }
    std::vector<VolumeInfo> all;
    ASSERT_TRUE(sys_for_each_volume(nullptr, collect_volume, &all));
    ASSERT_GE(all.size(), 1u);
    EXPECT_LT(all.front().letter, all.back().letter + (all.size() > 1 ? 0 : 1));
    std::vector<VolumeInfo> none;
    EXPECT_TRUE(sys_for_each_volume("", collect_volume, &none));
    EXPECT_TRUE(none.empty());
}

using SysFindFirst = Win32Scratch;

static std::set<std::string> found_names(const char* pattern)
{
    std::set<std::string> names;
    FindData entry;
    SearchOwner search(sys_find_first(pattern, &entry));
    for (bool more = search.search != nullptr; more; more = sys_find_next(search.search, &entry))
        names.insert(entry.cFileName);
    return names;
}

TEST_F(SysFindFirst, StarDotStarMatchesNamesWithoutADot)
{
    put_file("makefile", "");
    put_file("a.txt", "");
    CreateDirectoryA("sub", nullptr);
    std::set<std::string> all = {".", "..", "a.txt", "makefile", "sub"};
    EXPECT_EQ(found_names("*.*"), all);
    EXPECT_EQ(found_names("*"), all);
    EXPECT_EQ(found_names("ma*.*"), std::set<std::string>{"makefile"});
    EXPECT_EQ(found_names("sub"), std::set<std::string>{"sub"});
}

TEST_F(SysFindFirst, NothingMatchingGivesNoSearch)
{
    FindData entry;
    EXPECT_EQ(sys_find_first("zz*", &entry), nullptr);
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(sys_find_first("missing\\*", &entry), nullptr);
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
}

TEST_F(SysFindFirst, EntryHasTheFullSizeAttributesAndWriteTime)
{
    HANDLE file = CreateFileA("big", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = (5LL << 30) + 7; // past 4 GiB: the high half of the size counts
    SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    FILETIME written;
    GetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    FindData entry;
    SearchOwner search(sys_find_first("big", &entry));
    ASSERT_NE(search.search, nullptr);
    EXPECT_EQ(entry.nFileSize, (5ULL << 30) + 7);
    EXPECT_EQ(entry.dwFileAttributes, ATTR_ARCHIVE);
    EXPECT_EQ(static_cast<uint64_t>(entry.ftLastWriteTime),
              (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime);
    EXPECT_FALSE(sys_find_next(search.search, &entry));
}

TEST(SysLocalTime, GivesTheLocalCalendarTimeOfAWriteTime)
{
    SYSTEMTIME local = {2007, 10, 0, 21, 21, 26, 14, 0};
    FILETIME local_time, universal;
    SystemTimeToFileTime(&local, &local_time);
    LocalFileTimeToFileTime(&local_time, &universal);
    int64_t value = static_cast<int64_t>((static_cast<uint64_t>(universal.dwHighDateTime) << 32) |
                                         universal.dwLowDateTime);
    LocalTime out;
    sys_local_time(value, &out);
    EXPECT_EQ(out.year, 2007);
    EXPECT_EQ(out.month, 10);
    EXPECT_EQ(out.day, 21);
    EXPECT_EQ(out.hour, 21);
    EXPECT_EQ(out.minute, 26);
    EXPECT_EQ(out.second, 14);
}
