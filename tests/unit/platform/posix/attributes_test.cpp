// Tests of the attribute words emulated from file types, permissions and user.DOSATTRIB.
#include "platform/platform.h"
#include "scratch_dir.h"

#include <cerrno>
#include <sys/xattr.h>

class Attributes : public ScratchDir
{
  protected:
    void SetUp() override
    {
        ScratchDir::SetUp();
        write_text("file", "text");
        mkdir("dir", 0777);
    }
    void need_user_xattrs()
    {
        if (setxattr("file", "user.vrel-probe", "1", 1, 0) != 0)
            GTEST_SKIP() << "this file system refuses user extended attributes";
        removexattr("file", "user.vrel-probe");
    }
    static std::string stored(const char* path)
    {
        char text[64];
        ssize_t length = lgetxattr(path, "user.DOSATTRIB", text, sizeof text);
        return length < 0 ? "none" : std::string(text, static_cast<size_t>(length));
    }
    static mode_t mode_of(const char* path)
    {
        struct stat info;
        lstat(path, &info);
        return info.st_mode & 0777;
    }
};

TEST_F(Attributes, ComeFromTheTypeAndOwnerWritePermission)
{
    EXPECT_EQ(sys_get_attributes("file"), ATTR_ARCHIVE);
    EXPECT_EQ(sys_get_attributes("dir"), ATTR_DIRECTORY);
    EXPECT_EQ(sys_get_attributes("/dev/null") & (ATTR_DEVICE | ATTR_ARCHIVE), ATTR_DEVICE);
    // A link has its own bit, and the directory or archive bit of what it leads to.
    ASSERT_EQ(symlink("dir", "link"), 0);
    EXPECT_EQ(sys_get_attributes("link"), ATTR_REPARSE_POINT | ATTR_DIRECTORY);
    ASSERT_EQ(symlink("file", "file-link"), 0);
    ASSERT_EQ(symlink("missing", "dangling"), 0);
    EXPECT_EQ(sys_get_attributes("file-link"), ATTR_REPARSE_POINT | ATTR_ARCHIVE);
    EXPECT_EQ(sys_get_attributes("dangling"), ATTR_REPARSE_POINT);
    chmod("file", 0444);
    EXPECT_EQ(sys_get_attributes("file"), ATTR_READONLY | ATTR_ARCHIVE);
    EXPECT_EQ(sys_get_attributes("missing"), ATTR_INVALID);
    EXPECT_EQ(sys_last_error(), static_cast<uint32_t>(ENOENT));
}

TEST_F(Attributes, ReadOnlyRemovesEveryWriteBitAndClearingGivesOwnerWriteBack)
{
    chmod("file", 0666);
    ASSERT_TRUE(sys_set_attributes("file", ATTR_READONLY | ATTR_ARCHIVE));
    EXPECT_EQ(mode_of("file"), 0444u);
    EXPECT_EQ(stored("file"), "none"); // archive alone is the default and needs no store
    ASSERT_TRUE(sys_set_attributes("file", ATTR_ARCHIVE));
    EXPECT_EQ(mode_of("file"), 0644u);
}

TEST_F(Attributes, OtherBitsRoundTripThroughDosAttrib)
{
    need_user_xattrs();
    ASSERT_TRUE(sys_set_attributes("file", ATTR_READONLY | ATTR_HIDDEN | ATTR_SYSTEM));
    EXPECT_EQ(stored("file"), "0x6");
    EXPECT_EQ(sys_get_attributes("file"), ATTR_READONLY | ATTR_HIDDEN | ATTR_SYSTEM);
    // A change while read-only still reaches the store, and the file stays read-only.
    ASSERT_TRUE(sys_set_attributes("file", ATTR_READONLY | ATTR_HIDDEN));
    EXPECT_EQ(sys_get_attributes("file"), ATTR_READONLY | ATTR_HIDDEN);
    EXPECT_EQ(mode_of("file") & 0222, 0u);
    ASSERT_TRUE(sys_set_attributes("file", ATTR_ARCHIVE));
    EXPECT_EQ(stored("file"), "none");
    EXPECT_EQ(sys_get_attributes("file"), ATTR_ARCHIVE);
}

TEST_F(Attributes, NoBitsAtAllReadAsNormal)
{
    need_user_xattrs();
    ASSERT_TRUE(sys_set_attributes("file", 0));
    EXPECT_EQ(stored("file"), "0x0");
    EXPECT_EQ(sys_get_attributes("file"), ATTR_NORMAL);
    ASSERT_TRUE(sys_set_attributes("dir", ATTR_DIRECTORY | ATTR_HIDDEN));
    EXPECT_EQ(sys_get_attributes("dir"), ATTR_DIRECTORY | ATTR_HIDDEN);
}

TEST_F(Attributes, TypeBitsCannotBeChanged)
{
    ASSERT_TRUE(sys_set_attributes("file", ATTR_DIRECTORY | ATTR_DEVICE | ATTR_ARCHIVE));
    EXPECT_EQ(sys_get_attributes("file"), ATTR_ARCHIVE);
    ASSERT_TRUE(sys_set_attributes("dir", 0));
    EXPECT_EQ(sys_get_attributes("dir"), ATTR_DIRECTORY);
}

TEST_F(Attributes, BitsThatNeedAStoreFailWhereNoneCanBeKept)
{
    ASSERT_EQ(symlink("file", "link"), 0); // Linux keeps no user attributes on links
    EXPECT_FALSE(sys_set_attributes("link", ATTR_HIDDEN));
    EXPECT_NE(sys_last_error(), 0u);
    EXPECT_EQ(sys_get_attributes("file"), ATTR_ARCHIVE); // the target was not touched
    EXPECT_TRUE(sys_set_attributes("link", ATTR_REPARSE_POINT | ATTR_ARCHIVE));
    EXPECT_FALSE(sys_set_attributes("missing", ATTR_ARCHIVE));
}
