// fileutil_fixture.h: a scratch directory and captured output for the file built-in tests.
#pragma once

#include "console/output.h"
#include "core/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

inline std::string fileutil_output;

// Paths past the walker's 320 bytes exist only on POSIX; Windows paths end at 260 bytes.
inline bool long_paths_possible() { return !PLATFORM_DOS_SEPARATORS; }

inline void capture_fileutil_output(const char* data, size_t size)
{
    fileutil_output.append(data, size);
}

// Each test runs in a fresh directory of its own, which is the current directory meanwhile.
class FileutilTest : public ::testing::Test
{
  protected:
    ShellContext ctx{};
    std::filesystem::path old_dir;
    std::filesystem::path dir;

    void SetUp() override
    {
        init_context(&ctx);
        ctx.options = 0; // no trace lines unless a test asks for them
        old_dir = std::filesystem::current_path();
        dir =
            std::filesystem::temp_directory_path() /
            ("vrel-fileutil-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        fileutil_output.clear();
        output_sink = capture_fileutil_output;
    }
    void TearDown() override
    {
        output_sink = sys_write_out;
        std::filesystem::current_path(old_dir);
        std::filesystem::remove_all(dir);
        delete ctx.store;
    }
    static void make_file(const std::string& name, const std::string& text = "")
    {
        std::ofstream(name, std::ios::binary) << text;
    }
    static std::string take_output()
    {
        std::string out = fileutil_output;
        fileutil_output.clear();
        return out;
    }
};
