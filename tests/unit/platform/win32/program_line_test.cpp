// Tests of the line that runs a batch file through cmd.exe with its arguments as text.
#include "program_line.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

static std::string batch_line(const char* line, uint32_t expected_error = 0)
{
    char out[PROGRAM_LINE_SIZE];
    EXPECT_EQ(make_batch_line(line, out, sizeof out), expected_error) << line;
    return expected_error ? std::string() : std::string(out);
}

TEST(NamesBatchFile, ByItsExtensionInAnyCaseAndWhatTheSystemIgnores)
{
    for (const char* line : {"a.bat x", "dir\\A.CMD", "\"my dir\\b.Bat\" y", "\"c.bat. \""})
        EXPECT_TRUE(names_batch_file(line)) << line;
    for (const char* line : {"cmd /c a.bat", "a.exe x.bat", "bat", "a.bath", "\"a b\".bat"})
        EXPECT_FALSE(names_batch_file(line)) << line;
}

TEST(MakeBatchLine, EveryArgumentIsTextForCmd)
{
    const std::string head = "cmd.exe /d /e:ON /v:OFF /c \"";
    EXPECT_EQ(batch_line("a.bat"), head + "\"a.bat\"\"");
    EXPECT_EQ(batch_line("\"my dir\\a.bat\"  plain C:\\x\\ \"\""), head + "\"my dir\\a.bat\" plain "
                                                                          "C:\\x\\ \"\"\"");
    // Special bytes go between quotes; a quote inside is doubled, a percent sign written so
    // that no variable name can follow it (Wine's cmd.exe pairs two signs where Windows' keeps
    // them, so it needs one more).
    HMODULE system = GetModuleHandleA("ntdll.dll");
    std::string percent = GetProcAddress(system, "wine_get_version") ? "%%%cd:~,%" : "%%cd:~,%";
    EXPECT_EQ(batch_line("a.bat a&b x|y (^!) \"p q\" \\\"z %PATH%"),
              head + "\"a.bat\" \"a&b\" \"x|y\" \"(^!)\" \"p q\" \"\"\"z\" \"" + percent + "PATH" +
                  percent + "\"\"");
    // The arguments are those every other program would see.
    EXPECT_EQ(batch_line("a.bat \"q\"\"r\" s"), head + "\"a.bat\" \"q\"\"r s\"\"");
}

TEST(MakeBatchLine, ALineBreakOrALineTooLongIsRefused)
{
    batch_line("a.bat one\ntwo", ERROR_BAD_ARGUMENTS);
    batch_line("a.bat one\rtwo", ERROR_BAD_ARGUMENTS);
    std::string long_line = "a.bat " + std::string(PROGRAM_LINE_SIZE - 40, '%');
    batch_line(long_line.c_str(), ERROR_FILENAME_EXCED_RANGE);
}
