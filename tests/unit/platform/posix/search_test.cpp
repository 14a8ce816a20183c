// Tests of directory searches: matching, order and the entry record.
#include "platform/platform.h"
#include "scratch_dir.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <vector>

class SysFindFirst : public ScratchDir
{
  protected:
    void SetUp() override
    {
        ScratchDir::SetUp();
        for (const char* name : {"makefile", "main.cpp", "a.txt", "b.txt", "ab", "Zeta", ".hidden",
                                 "-dash", "\xc3\xa9x"})
            write_text(name, "");
        mkdir("dir", 0777);
        write_text("dir/inner", "");
    }
    static std::vector<std::string> names(const char* pattern)
    {
        std::vector<std::string> found;
        FindData entry;
        SearchOwner search(sys_find_first(pattern, &entry));
        if (!search.search)
            return found;
        do
            found.push_back(entry.cFileName);
        while (sys_find_next(search.search, &entry));
        return found;
    }
};

using Names = std::vector<std::string>;

TEST_F(SysFindFirst, StarListsEverythingInByteOrderDotsFirst)
{
    Names all = {".",  "..",    "-dash", ".hidden",  "Zeta",     "a.txt",
                 "ab", "b.txt", "dir",   "main.cpp", "makefile", "\xc3\xa9x"};
    EXPECT_EQ(names("*"), all);
    EXPECT_EQ(names("*.*"), all);
}

TEST_F(SysFindFirst, PatternEndingInDotStarAlsoMatchesWithoutIt)
{
    EXPECT_EQ(names("ma*.*"), (Names{"main.cpp", "makefile"}));
    EXPECT_EQ(names("a*.*"), (Names{"a.txt", "ab"}));
    EXPECT_EQ(names("*.txt"), (Names{"a.txt", "b.txt"}));
}

TEST_F(SysFindFirst, QuestionMarkIsOneWholeCharacter)
{
    EXPECT_EQ(names("?.txt"), (Names{"a.txt", "b.txt"}));
    EXPECT_EQ(names("?x"), (Names{"\xc3\xa9x"}));
    EXPECT_EQ(names("a?"), (Names{"ab"}));
}

TEST_F(SysFindFirst, MatchingIsCaseSensitive)
{
    FindData entry;
    EXPECT_EQ(sys_find_first("*.TXT", &entry), nullptr);
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(ENOENT));
    EXPECT_EQ(names("z*"), Names{});
    EXPECT_EQ(names("Z*"), Names{"Zeta"});
}

TEST_F(SysFindFirst, NameWithoutWildcardsFindsThatEntryItself)
{
    FindData entry;
    SearchOwner search(sys_find_first("dir", &entry));
    ASSERT_NE(search.search, nullptr);
    EXPECT_STREQ(entry.cFileName, "dir");
    EXPECT_EQ(entry.dwFileAttributes & ATTR_DIRECTORY, ATTR_DIRECTORY);
    EXPECT_FALSE(sys_find_next(search.search, &entry));
    EXPECT_EQ(names("dir/inner"), Names{"inner"});
    EXPECT_EQ(names("nothing"), Names{});
}

TEST_F(SysFindFirst, SearchesTheDirectoryOfThePattern)
{
    EXPECT_EQ(names("dir/*"), (Names{".", "..", "inner"}));
    EXPECT_EQ(names((path + "/dir/in*").c_str()), Names{"inner"});
    EXPECT_EQ(names("missing/*"), Names{});
    EXPECT_EQ(names("dir/"), Names{});
}

TEST_F(SysFindFirst, EntryRecordHasFullSizeTimeAndLinkItself)
{
    int fd = open("big", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(ftruncate(fd, 5LL << 30), 0); // sparse: 5 GiB without using the disk
    struct timespec times[2] = {{0, UTIME_OMIT}, {1192994774, 0}};
    futimens(fd, times);
    close(fd);
    ASSERT_EQ(symlink("big", "link"), 0);
    FindData entry;
    SearchOwner big(sys_find_first("big", &entry));
    EXPECT_EQ(entry.nFileSize, 5ULL << 30);
    EXPECT_EQ(entry.ftLastWriteTime, 1192994774);
    EXPECT_EQ(entry.dwFileAttributes, ATTR_ARCHIVE);
    SearchOwner link(sys_find_first("link", &entry));
    EXPECT_EQ(entry.nFileSize, 3u); // the link's own size, "big"
    EXPECT_EQ(entry.dwFileAttributes, ATTR_REPARSE_POINT | ATTR_ARCHIVE); // leads to a file
}

TEST(SysLocalTime, ConvertsWithTheLocalZone)
{
    char zone[64] = "";
    bool had_zone = sys_get_env("TZ", zone, sizeof zone) > 0;
    sys_set_env("TZ", "UTC0");
    tzset();
    LocalTime time;
    sys_local_time(1192994774, &time);
    EXPECT_EQ(time.year, 2007);
    EXPECT_EQ(time.month, 10);
    EXPECT_EQ(time.day, 21);
    EXPECT_EQ(time.hour, 19);
    EXPECT_EQ(time.minute, 26);
    EXPECT_EQ(time.second, 14);
    sys_set_env("TZ", had_zone ? zone : nullptr);
    tzset();
}

TEST_F(SysFindFirst, StoredBitsCanBeLeftOutOfAWalk)
{
    ASSERT_TRUE(sys_set_attributes("ab", ATTR_HIDDEN));
    auto first_of = [](const char* pattern) {
        FindData entry;
        SearchOwner search(sys_find_first(pattern, &entry));
        return search.search ? entry.dwFileAttributes : ATTR_INVALID;
    };
    EXPECT_EQ(first_of("a?"), ATTR_HIDDEN);
    sys_search_stored_attributes(false);
    EXPECT_EQ(first_of("a?"), ATTR_ARCHIVE);   // the default of a file, without the system call
    EXPECT_EQ(first_of("d*"), ATTR_DIRECTORY); // the type bits are always there
    sys_search_stored_attributes(true);
    EXPECT_EQ(first_of("a?"), ATTR_HIDDEN);
}
