// Tests of the destination rules of mv and cp.
#include "fileutil/file_ops.h"
#include "fileutil_fixture.h"

#include <gtest/gtest.h>

#include <string>

static std::string collapsed(std::string text)
{
    char* end = collapse_slashes(text.data());
    EXPECT_EQ(*end, 0);
    text.resize(static_cast<size_t>(end - text.data()));
    return text;
}

TEST(CollapseSlashes, RunsKeepTheirFirstByte)
{
    EXPECT_EQ(collapsed("dir//a.txt"), "dir/a.txt");
    EXPECT_EQ(collapsed("dir\\/\\a"), "dir\\a");
    EXPECT_EQ(collapsed("a/\\\\/b//c"), "a/b/c");
    EXPECT_EQ(collapsed("dir///"), "dir/");
}

TEST(CollapseSlashes, LeadingPairBecomesOne)
{
    EXPECT_EQ(collapsed("//x"), "/x");
    EXPECT_EQ(collapsed("\\\\server\\share"), "\\server\\share");
}

TEST(CollapseSlashes, TextWithoutRunsStaysAsItIs)
{
    EXPECT_EQ(collapsed(""), "");
    EXPECT_EQ(collapsed("a/b\\c"), "a/b\\c");
    EXPECT_EQ(collapsed("plain"), "plain");
}

TEST(DestinationMode, DirectoryBitOrDotNamesPutEntriesInside)
{
    EXPECT_EQ(destination_mode("anything", ATTR_DIRECTORY), DEST_DIRECTORY);
    EXPECT_EQ(destination_mode(".", ATTR_INVALID), DEST_DIRECTORY);
    EXPECT_EQ(destination_mode("..", ATTR_INVALID), DEST_DIRECTORY);
}

TEST(DestinationMode, DrivesAndRootTakeTheNameDirectly)
{
    EXPECT_EQ(destination_mode("c:", ATTR_INVALID), DEST_DRIVE);
    EXPECT_EQ(destination_mode("c:/", ATTR_INVALID), DEST_DRIVE);
    EXPECT_EQ(destination_mode("c:\\", ATTR_INVALID), DEST_DRIVE);
    EXPECT_EQ(destination_mode("/", ATTR_INVALID), DEST_DRIVE);
    EXPECT_EQ(destination_mode("\\", ATTR_INVALID), DEST_DRIVE);
}

TEST(DestinationMode, EverythingElseIsOneFile)
{
    // The missing-file word has every bit set; it must not pass for a directory.
    EXPECT_EQ(destination_mode("new.txt", ATTR_INVALID), DEST_FILE);
    EXPECT_EQ(destination_mode("a.txt", ATTR_ARCHIVE), DEST_FILE);
    EXPECT_EQ(destination_mode("c:x", ATTR_INVALID), DEST_FILE);
    EXPECT_EQ(destination_mode("c:/x", ATTR_INVALID), DEST_FILE);
    EXPECT_EQ(destination_mode("...", ATTR_INVALID), DEST_FILE);
    EXPECT_EQ(destination_mode("c/", ATTR_INVALID), DEST_FILE);
}

TEST(NamesSameEntry, OnlyOtherLetterCasesOfTheSamePathWhereNamesIgnoreCase)
{
    EXPECT_TRUE(names_same_entry("dir", "DIR", true));
    EXPECT_TRUE(names_same_entry("sub/dir", "Sub\\Dir", true));
    EXPECT_TRUE(names_same_entry("file.TXT", "File.txt", true));
    // The same letters move into the entry as before; another name, or one more slash, is
    // another destination.
    EXPECT_FALSE(names_same_entry("dir", "dir", true));
    EXPECT_FALSE(names_same_entry("dir", "DIRS", true));
    EXPECT_FALSE(names_same_entry("dirs", "DIR", true));
    EXPECT_FALSE(names_same_entry("dir", "DIR/", true));
    EXPECT_FALSE(names_same_entry("dir", "dim", true));
    EXPECT_FALSE(names_same_entry("a[", "A{", true)); // no case pair outside the letters
    // Where names keep their case, DIR is another file.
    EXPECT_FALSE(names_same_entry("dir", "DIR", false));
}

using SetDestination = FileutilTest;

TEST_F(SetDestination, DirectoryGetsASlashAndATail)
{
    std::filesystem::create_directory("d");
    ASSERT_TRUE(set_destination("d", &ctx));
    EXPECT_STREQ(ctx.dest_path, "d/");
    EXPECT_EQ(ctx.dest_tail, ctx.dest_path + 2);
}

TEST_F(SetDestination, FileModeHasNoTail)
{
    ASSERT_TRUE(set_destination("new.txt", &ctx));
    EXPECT_STREQ(ctx.dest_path, "new.txt");
    EXPECT_EQ(ctx.dest_tail, nullptr);
}

TEST_F(SetDestination, DriveTailFollowsTheText)
{
    ASSERT_TRUE(set_destination("q:", &ctx));
    EXPECT_STREQ(ctx.dest_path, "q:");
    EXPECT_EQ(ctx.dest_tail, ctx.dest_path + 2);
}

// A path of `length` bytes in folders of 99-byte names, which every file system takes.
static std::string deep_path(size_t length, char letter)
{
    std::string path;
    while (path.size() < length)
        path += path.size() % 100 == 99 ? '/' : letter;
    return path;
}

TEST_F(SetDestination, RefusesTextThatLeavesNoRoom)
{
    // On Windows the system refuses such paths first (the end-to-end cases show that).
    if (!long_paths_possible())
        GTEST_SKIP() << "no path of 319 bytes on this system";
    std::string file = deep_path(DEST_PATH_SIZE - 1, 'f'); // with the terminator: fits exactly
    EXPECT_TRUE(set_destination(file.c_str(), &ctx));
    EXPECT_EQ(take_output(), "");
    file += 'f';
    EXPECT_FALSE(set_destination(file.c_str(), &ctx));
    EXPECT_EQ(take_output(), file + ":path too long\n");
    // A directory needs one byte more for its slash.
    std::string fits = deep_path(DEST_PATH_SIZE - 2, 'd');
    std::string over = fits + "d";
    std::filesystem::create_directories(fits);
    std::filesystem::create_directories(over);
    EXPECT_TRUE(set_destination(fits.c_str(), &ctx));
    EXPECT_EQ(ctx.dest_tail, ctx.dest_path + DEST_PATH_SIZE - 1);
    EXPECT_FALSE(set_destination(over.c_str(), &ctx));
    EXPECT_EQ(take_output(), over + ":path too long\n");
}
