// test_support.cpp: shared helpers of the unit tests.
#include "test_support.h"

#include "core/startup.h"

#include <gtest/gtest.h>

#include <fstream>

ShellContext* fresh_context()
{
    init_context(&shell_context);
    return &shell_context;
}

std::string capture_output(const std::function<void()>& work)
{
    sys_flush_out();
    testing::internal::CaptureStdout();
    work();
    sys_flush_out();
    return testing::internal::GetCapturedStdout();
}

void write_file(const std::string& name, const std::string& text)
{
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    file << text;
}
