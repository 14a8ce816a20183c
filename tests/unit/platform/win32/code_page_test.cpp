// Tests of the code page the Windows layer reports and of the class table made from it. Run
// also under the locales of the double-byte code pages (VREL_TEST_CODE_PAGE names the one
// expected).
#include "parse/char_class.h"
#include "platform/platform.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

TEST(SystemCodePage, IsTheAnsiCodePageOfTheProcess)
{
    SysCodePage code_page;
    sys_code_page(&code_page);
    EXPECT_EQ(code_page.number, GetACP());
    const char* expected = std::getenv("VREL_TEST_CODE_PAGE");
    EXPECT_EQ(std::to_string(code_page.number), expected ? expected : std::to_string(GetACP()));
}

TEST(SystemCodePage, LeadBytesAreTheSystemsAndShiftJisKeepsItsTable)
{
    CodePageScope code_page(CODE_PAGE_UTF8);
    use_system_code_page();
    for (int b = 0; b < 0x100; ++b) {
        bool expected = b >= 0x80 && IsDBCSLeadByte(static_cast<BYTE>(b));
        if (GetACP() == CODE_PAGE_SHIFT_JIS)
            expected = (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFE);
        EXPECT_EQ(is_lead(static_cast<char>(b)), expected) << b;
    }
}

TEST(SysGetEnv, AValueOfMultiByteCharactersComesWhole)
{
    const wchar_t value[] = L"\u65e5\u672c-\u00e9-\uff71"; // two kanji, e acute, katakana
    ASSERT_TRUE(SetEnvironmentVariableW(L"VREL_ENV_TEXT", value));
    char expected[64];
    int length =
        WideCharToMultiByte(CP_ACP, 0, value, -1, expected, sizeof expected, nullptr, nullptr);
    ASSERT_GT(length, 1);
    char buffer[64];
    EXPECT_EQ(sys_get_env("VREL_ENV_TEXT", buffer, sizeof buffer), size_t(length - 1));
    EXPECT_STREQ(buffer, expected);
    EXPECT_EQ(sys_get_env("VREL_ENV_TEXT", buffer, size_t(length - 1)), 0u); // no room for it all
    EXPECT_STREQ(buffer, "");
    SetEnvironmentVariableW(L"VREL_ENV_TEXT", nullptr);
}
