// Tests of the console's keys and screen text in the bytes of a code page.
#include "console_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

constexpr UINT WESTERN = 1252, JAPANESE = 932;

static KEY_EVENT_RECORD key_event(wchar_t unit, WORD virtual_key = 0, DWORD states = 0)
{
    KEY_EVENT_RECORD key{};
    key.bKeyDown = TRUE;
    key.wRepeatCount = 1;
    key.wVirtualKeyCode = virtual_key;
    key.uChar.UnicodeChar = unit;
    key.dwControlKeyState = states;
    return key;
}

// The codes of a run of key events, typed in one code page.
static std::vector<int> codes_of(UINT code_page, std::vector<KEY_EVENT_RECORD> keys)
{
    KeyDecoder decoder{};
    std::vector<int> all;
    for (const KEY_EVENT_RECORD& key : keys) {
        int codes[KEY_CODES_MAX];
        int count = key_event_codes(&decoder, &key, code_page, codes);
        all.insert(all.end(), codes, codes + count);
    }
    return all;
}

TEST(KeyEventCodes, CharactersComeAsTheBytesOfTheCodePage)
{
    EXPECT_EQ(codes_of(WESTERN, {key_event(L'\u00e9')}), (std::vector<int>{0xE9}));
    EXPECT_EQ(codes_of(CP_UTF8, {key_event(L'\u00e9')}), (std::vector<int>{0xC3, 0xA9}));
    EXPECT_EQ(codes_of(JAPANESE, {key_event(L'\u65e5')}), (std::vector<int>{0x93, 0xFA}));
    // A character beyond the first plane arrives in two events, one per surrogate.
    EXPECT_EQ(codes_of(CP_UTF8, {key_event(0xD83D), key_event(0xDE00)}),
              (std::vector<int>{0xF0, 0x9F, 0x98, 0x80}));
    // Released keys and a lone second half type nothing.
    KEY_EVENT_RECORD released = key_event(L'a');
    released.bKeyDown = FALSE;
    EXPECT_EQ(codes_of(CP_UTF8, {released, key_event(0xDE00), key_event(L'b')}),
              (std::vector<int>{'b'}));
}

TEST(KeyEventCodes, ACharacterTheCodePageCannotHoldIsDropped)
{
    // Best fit would turn U+0100 into 'A' in 1252, and the default character is '?'.
    EXPECT_EQ(codes_of(WESTERN, {key_event(L'\u65e5'), key_event(L'\u0100'), key_event(L'x')}),
              (std::vector<int>{'x'}));
    EXPECT_EQ(codes_of(WESTERN, {key_event(0xD83D), key_event(0xDE00)}), (std::vector<int>{}));
}

TEST(KeyEventCodes, ATextByte224IsNeverTakenForTheCursorPrefix)
{
    EXPECT_EQ(codes_of(WESTERN, {key_event(L'\u00e0'), key_event(0, VK_UP)}),
              (std::vector<int>{224, 224, 224, 72}));
    // Shift_JIS: the lead byte 224 is doubled; a second byte 224 is taken whole with its lead.
    EXPECT_EQ(codes_of(JAPANESE, {key_event(L'\u6f3e'), key_event(L'\u2252')}),
              (std::vector<int>{224, 224, 0x40, 0x81, 0xE0}));
    // In UTF-8 a continuation byte follows 224, which no scan code is.
    EXPECT_EQ(codes_of(CP_UTF8, {key_event(L'\u0800')}), (std::vector<int>{0xE0, 0xA0, 0x80}));
}

TEST(KeyEventCodes, CursorAndFunctionKeysKeepTheTwoCodeForm)
{
    EXPECT_EQ(codes_of(CP_UTF8, {key_event(0, VK_LEFT), key_event(0, VK_DELETE),
                                 key_event(0, VK_LEFT, LEFT_CTRL_PRESSED), key_event(0, VK_F1),
                                 key_event(0, VK_F10, SHIFT_PRESSED)}),
              (std::vector<int>{224, 75, 224, 83, 224, 115, 0, 59, 0, 93}));
    // Shift alone, and Ctrl-Up, whose code would pass for a UTF-8 continuation, give nothing.
    EXPECT_EQ(codes_of(CP_UTF8, {key_event(0, VK_SHIFT), key_event(0, VK_UP, LEFT_CTRL_PRESSED),
                                 key_event(0, VK_F11)}),
              (std::vector<int>{}));
}

static size_t whole(UINT code_page, const std::string& text)
{
    return whole_char_length(code_page, text.data(), text.size());
}

TEST(WholeCharLength, LeavesOutACharacterSplitAtTheEnd)
{
    EXPECT_EQ(whole(CP_UTF8, "caf\xC3"), 3u);
    EXPECT_EQ(whole(CP_UTF8, "caf\xC3\xA9"), 5u);
    EXPECT_EQ(whole(CP_UTF8, "\xF0\x9F\x98"), 0u);
    EXPECT_EQ(whole(CP_UTF8, "a\x80\x80"), 3u); // stray bytes wait for nothing
    EXPECT_EQ(whole(WESTERN, "caf\xE9"), 4u);
    // In Shift_JIS the trail byte 0x93 of the first character is not a lead byte.
    EXPECT_EQ(whole(JAPANESE, "\x93\x93"), 2u);
    EXPECT_EQ(whole(JAPANESE, "\x93\x93\x93"), 2u);
    EXPECT_EQ(whole(JAPANESE, "a\x93"), 1u);
}

TEST(ConsoleReadCodes, CtrlCIsTheKeyOnWindowsAndAnEmptyReadInWinesConsole)
{
    INPUT_RECORD ctrl_c{KEY_EVENT, {}};
    ctrl_c.Event.KeyEvent = key_event(3, 'C', LEFT_CTRL_PRESSED);
    for (DWORD got : {1, 0}) {
        KeyDecoder decoder{};
        int codes[KEY_CODES_MAX] = {};
        EXPECT_EQ(console_read_codes(&decoder, &ctrl_c, got, CP_UTF8, codes), 1) << got;
        EXPECT_EQ(codes[0], 3) << got;
    }
}
