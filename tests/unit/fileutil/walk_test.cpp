// Tests of the directory walker on a scratch directory.
#include "fileutil/walk.h"
#include "fileutil_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

static std::vector<std::string> visited;

static void record(const FindData*, char* path, ShellContext*) { visited.emplace_back(path); }

// Visits directories before their contents, as lfor -R does, checking the buffer's room.
static void record_tree(const FindData* entry, char* path, ShellContext* ctx)
{
    EXPECT_LE(std::strlen(path) + sizeof WALK_BELOW, WALK_PATH_SIZE);
    visited.emplace_back(path);
    if (is_plain_directory(entry)) {
        char* end = walk_below(path, record_tree, ctx);
        EXPECT_STREQ(end, WALK_BELOW); // the nested walk left the outer path alone
        *end = 0;
    }
}

class Walk : public FileutilTest
{
  protected:
    void SetUp() override
    {
        FileutilTest::SetUp();
        visited.clear();
    }
    // The paths visited, sorted: the order of a search is the system's.
    std::vector<std::string> walk(const char* pattern, Visitor visitor = record)
    {
        visited.clear();
        walk_files(pattern, visitor, &ctx);
        std::vector<std::string> paths = visited;
        std::sort(paths.begin(), paths.end());
        return paths;
    }
};

using Paths = std::vector<std::string>;

TEST_F(Walk, PathIsTheDirectoryPartAndTheName)
{
    std::filesystem::create_directory("d");
    make_file("d/x.c");
    make_file("d/y.c");
    make_file("d/z.h");
    EXPECT_EQ(walk("d/*.c"), (Paths{"d/x.c", "d/y.c"}));
    EXPECT_EQ(walk("d/y.c"), (Paths{"d/y.c"}));
    EXPECT_EQ(take_output(), "");
}

TEST_F(Walk, DotEntriesOnlyWithTheAllOption)
{
    make_file(".hidden");
    make_file("a");
    EXPECT_EQ(walk("*"), (Paths{".hidden", "a"}));
    ctx.walk_options = WALK_ALL | WALK_OWN;
    EXPECT_EQ(walk("*"), (Paths{".", "..", ".hidden", "a"}));
}

TEST_F(Walk, LoneStarIsSearchedAndReportedAsStarDotStar)
{
    // A directory that was removed while current reads as empty, without "." and "..".
    // (Systems that keep a current directory cannot remove it; they skip this part.)
    std::filesystem::create_directory("gone");
    std::filesystem::current_path("gone");
    std::error_code removed;
    if (std::filesystem::remove(dir / "gone", removed)) {
        EXPECT_EQ(walk("*"), (Paths{}));
        EXPECT_EQ(take_output(), "*.*:not found\n");
    }
    std::filesystem::current_path(dir);
    walk("none*");
    EXPECT_EQ(take_output(), "none*:not found\n");
    walk("*x/*");
    EXPECT_EQ(take_output(), "*x/*:not found\n");
}

TEST_F(Walk, NestedWalksKeepTheirOwnPaths)
{
    std::filesystem::create_directories("t/s");
    make_file("t/f");
    make_file("t/s/g");
    EXPECT_EQ(walk("t", record_tree), (Paths{"t", "t/f", "t/s", "t/s/g"}));
    auto s = std::find(visited.begin(), visited.end(), "t/s");
    EXPECT_EQ(s + 1, std::find(visited.begin(), visited.end(), "t/s/g"));
}

// The deepest path handed out leaves exactly room for "/*.*" and the terminator.
TEST_F(Walk, EntryWithoutRoomForTheSuffixIsRefusedAndTheRestVisited)
{
    if (!long_paths_possible())
        GTEST_SKIP() << "no path of 316 bytes on this system";
    std::string sub(200, 'd');
    std::filesystem::create_directory(sub);
    std::string fits(WALK_PATH_SIZE - 201 - sizeof WALK_BELOW, 'a'); // path of 315 bytes
    std::string over = std::string(fits.size(), 'b') + "b";
    make_file(sub + "/" + fits);
    make_file(sub + "/" + over);
    make_file(sub + "/c");
    std::string pattern = sub + "/*";
    EXPECT_EQ(walk(pattern.c_str(), record_tree), (Paths{sub + "/" + fits, sub + "/c"}));
    EXPECT_EQ(take_output(), sub + "/" + over + ":path too long\n");
}

TEST_F(Walk, PatternLongerThanTheBufferIsRefused)
{
    std::string pattern(WALK_PATH_SIZE, 'p');
    EXPECT_EQ(walk(pattern.c_str()), (Paths{}));
    EXPECT_EQ(take_output(), pattern + ":path too long\n");
}
