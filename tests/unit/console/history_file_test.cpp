// Tests of the history file: loading, appending, the limit, and the one failure message.
#include "console/history.h"
#include "console/history_file.h"

#include "console_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

class HistoryFileTest : public ConsoleTest
{
  protected:
    std::filesystem::path dir;
    std::string file;
    void SetUp() override
    {
        ConsoleTest::SetUp();
        dir = std::filesystem::temp_directory_path() /
              ("vrel_history_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        std::filesystem::remove_all(dir);
        file = (dir / "state" / "history").string();
        sys_set_env("VRELHISTORY", file.c_str());
    }
    void TearDown() override
    {
        history_file_stop();
        sys_set_env("VRELHISTORY", nullptr);
        sys_set_env("VRELHISTSIZE", nullptr);
        std::filesystem::remove_all(dir);
        ConsoleTest::TearDown();
    }
    std::string text()
    {
        std::stringstream all;
        all << std::ifstream(file, std::ios::binary).rdbuf();
        return all.str();
    }
    std::string newest(int k)
    {
        char line[HISTORY_LINE_SIZE];
        return history_get(&ctx, k, line) ? line : "(none)";
    }
};

TEST_F(HistoryFileTest, LinesGoToTheFileAndComeBackAtTheNextStart)
{
    history_file_start(&ctx); // the folder is made
    history_keep(&ctx, "echo one");
    history_keep(&ctx, " echo secret"); // a leading blank: this session only
    history_keep(&ctx, "echo two");
    EXPECT_EQ(text(), "echo one\necho two\n");
    EXPECT_EQ(newest(2), " echo secret");
    history_file_stop();
    init_context(&ctx);
    std::ofstream(file, std::ios::app | std::ios::binary) << "from windows\r\nno line end";
    history_file_start(&ctx);
    EXPECT_EQ(newest(1), "no line end");
    EXPECT_EQ(newest(2), "from windows");
    EXPECT_EQ(newest(4), "echo one");
    EXPECT_EQ(newest(5), "(none)");
}

TEST_F(HistoryFileTest, ARelativeNameStaysInTheStartingFolder)
{
    std::filesystem::create_directories(dir / "elsewhere");
    auto start = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    sys_set_env("VRELHISTORY", "rel");
    history_file_start(&ctx);
    std::filesystem::current_path(dir / "elsewhere"); // as after a cd
    history_keep(&ctx, "echo one");
    std::filesystem::current_path(start);
    EXPECT_TRUE(std::filesystem::exists(dir / "rel"));
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere" / "rel"));
}

TEST_F(HistoryFileTest, SetButEmptyKeepsTheHistoryInMemory)
{
    sys_set_env("VRELHISTORY", "");
    history_file_start(&ctx);
    history_keep(&ctx, "echo one");
    EXPECT_EQ(newest(1), "echo one");
    EXPECT_FALSE(std::filesystem::exists(dir));
}

TEST_F(HistoryFileTest, PastTheLimitTheNewestHalfIsKept)
{
    sys_set_env("VRELHISTSIZE", "100");
    history_file_start(&ctx);
    for (int i = 10; i < 30; ++i)
        history_keep(&ctx, ("line " + std::to_string(i)).c_str()); // 8 bytes each
    std::string kept = text();
    EXPECT_LE(kept.size(), 100u);
    EXPECT_GE(kept.size(), 40u);
    EXPECT_EQ(kept.substr(kept.size() - 16), "line 28\nline 29\n");
    EXPECT_EQ(kept.find("line 1"), std::string::npos); // the oldest went, whole lines only
    EXPECT_EQ(kept.find("line ", 0), 0u);
}

TEST_F(HistoryFileTest, AFileThatCannotBeWrittenSaysSoOnce)
{
    std::filesystem::create_directories(dir / "state" / "history"); // a folder in its place
    history_file_start(&ctx);
    history_keep(&ctx, "echo one");
    history_keep(&ctx, "echo two");
    EXPECT_EQ(captured_output, file + ":history file not written\n");
    EXPECT_EQ(newest(1), "echo two");
}
