// scratch_dir.h: a fixture that runs each test in a fresh directory of its own.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

inline void write_text(const std::string& name, const std::string& text, mode_t mode = 0644)
{
    std::ofstream(name, std::ios::binary | std::ios::trunc) << text;
    chmod(name.c_str(), mode);
}

inline std::string read_text(const std::string& name)
{
    std::ifstream file(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class ScratchDir : public testing::Test
{
  protected:
    std::string path;
    std::string previous;

    void SetUp() override
    {
        char name[] = "/tmp/vrel-posix-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        path = name;
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        previous = here;
        ASSERT_EQ(chdir(name), 0);
    }
    void TearDown() override
    {
        EXPECT_EQ(chdir(previous.c_str()), 0);
        nftw(path.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
    }
    static int remove_entry(const char* name, const struct stat*, int, struct FTW*)
    {
        chmod(name, 0700);
        return remove(name);
    }
};
