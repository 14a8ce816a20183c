// Tests of the completion of command and variable names, and of the PATH folder cache.
#include "console/completion_names.h"
#include "console/path_cache.h"

#include "console_fixture.h"
#include "exec/functions.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

// Keeps PATH as it was for the tests after these, which start programs.
class CompletionNamesTest : public ConsoleTest
{
  protected:
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    void TearDown() override
    {
        sys_set_env("PATH", path.c_str());
        ConsoleTest::TearDown();
    }
};

// Every name offered for the last word of line, in order, or "-" when it offers none.
static std::string offered(ShellContext* ctx, const char* line)
{
    NameSearch names;
    const char* word = std::strrchr(line, ' ') ? std::strrchr(line, ' ') + 1 : line;
    names_start(&names, line, word);
    if (names.kind == NAMES_NONE)
        return "-";
    std::string all;
    while (const char* name = names_next(&names, ctx))
        all += std::string(all.empty() ? "" : " ") + name;
    return all;
}

TEST_F(CompletionNamesTest, CommandsWhereACommandBeginsInGroupOrder)
{
    func_define(&ctx, "lsx");
    func_define(&ctx, "echo"); // a built-in's name is offered once, as the built-in
    sys_set_env("PATH", "");
    const struct {
        const char* line;
        const char* names;
    } cases[] = {
        {"l", "lfor ls lwhile lsx"},
        {"echo x; l", "lfor ls lwhile lsx"},
        {"a | l", "lfor ls lwhile lsx"},
        {"if x then l", "lfor ls lwhile lsx"},
        {"repeat 3 ec", "echo"},
        {"echo l", "-"},
        {"repeat ec", "-"},
        {"./l", "-"},
        {"$PS1x y", "-"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(offered(&ctx, c.line), c.names) << c.line;
}

TEST_F(CompletionNamesTest, VariablesAndTheirForms)
{
    sys_set_env("ZZ_B", "1");
    sys_set_env("ZZ_A", "1");
    EXPECT_EQ(offered(&ctx, "echo $ZZ_"), "ZZ_A ZZ_B");
    EXPECT_EQ(offered(&ctx, "echo x${ZZ_A"), "ZZ_A");
    sys_set_env("ZZ_A", nullptr);
    sys_set_env("ZZ_B", nullptr);
}

TEST(CompletionNames, ControlBytesAreNeverOffered)
{
    for (const char* name : {"a\x1b]0;x", "tab\there", "del\x7f"})
        EXPECT_FALSE(name_offered(name)) << name;
    EXPECT_EQ(name_offered("c1\xc2\x9b"), PLATFORM_CODE_PAGES); // U+009B in UTF-8
    EXPECT_TRUE(name_offered("été"));
}

TEST_F(CompletionNamesTest, PathCacheReadsAFolderAgainOnlyWhenItChanges)
{
    auto dir = std::filesystem::temp_directory_path() / "vrel_path_cache";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    auto program = dir / (PLATFORM_DOS_SEPARATORS ? "zzrun.exe" : "zzrun");
    std::ofstream(program) << "x";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    sys_set_env("PATH", (dir.string() + (PLATFORM_DOS_SEPARATORS ? ";" : ":") + "missing").c_str());
    path_cache_refresh();
    size_t listings = path_cache_listings();
    path_cache_refresh();
    EXPECT_EQ(path_cache_listings(), listings);
    EXPECT_STREQ(path_cache_next("zz", ""), "zzrun");
    EXPECT_EQ(path_cache_next("zz", "zzrun"), nullptr);
    auto added = dir / (PLATFORM_DOS_SEPARATORS ? "zzother.bat" : "zzother");
    std::ofstream(added) << "x"; // a new entry changes the folder's time
    std::filesystem::permissions(added, std::filesystem::perms::owner_all);
    path_cache_refresh();
    EXPECT_EQ(path_cache_listings(), listings + 1);
    EXPECT_STREQ(path_cache_next("zzo", ""), PLATFORM_DOS_SEPARATORS ? "zzother.bat" : "zzother");
    std::filesystem::remove_all(dir);
}
