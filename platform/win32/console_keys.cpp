// console_keys.cpp: key events of the console turned into the codes the shell reads.
#include "console_text.h"
#include "platform/platform.h"

constexpr int FUNCTION_KEYS = 10; // F1-F10; F11 and F12 would need codes past 127

struct CursorKey {
    WORD virtual_key;
    int plain; // the scan code after the prefix 224
    int ctrl;  // with Ctrl held, or 0 where that code would be 128 or more
};

// Only codes below 128 follow the prefix, so that in UTF-8 a continuation byte after 224 is
// always text.
static const CursorKey cursor_keys[] = {
    {VK_HOME, SCAN_HOME, SCAN_CTRL_HOME},
    {VK_UP, SCAN_UP, 0},
    {VK_PRIOR, SCAN_PAGE_UP, 0},
    {VK_LEFT, SCAN_LEFT, SCAN_CTRL_LEFT},
    {VK_RIGHT, SCAN_RIGHT, SCAN_CTRL_RIGHT},
    {VK_END, SCAN_END, SCAN_CTRL_END},
    {VK_DOWN, SCAN_DOWN, 0},
    {VK_NEXT, SCAN_PAGE_DOWN, SCAN_CTRL_PAGE_DOWN},
    {VK_INSERT, SCAN_INSERT, 0},
    {VK_DELETE, SCAN_DELETE, 0},
};

static bool held(const KEY_EVENT_RECORD* key, DWORD states)
{
    return key->dwControlKeyState & states;
}

// F1-F10 after the prefix 0, in the range of the modifier held.
static int function_key_code(const KEY_EVENT_RECORD* key)
{
    int offset = key->wVirtualKeyCode - VK_F1;
    if (held(key, LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED))
        return SCAN_ALT_F1 + offset;
    if (held(key, LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED))
        return SCAN_CTRL_F1 + offset;
    return (held(key, SHIFT_PRESSED) ? SCAN_SHIFT_F1 : SCAN_F1) + offset;
}

static int cursor_key_code(const KEY_EVENT_RECORD* key)
{
    bool ctrl = held(key, LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED);
    for (const CursorKey& cursor : cursor_keys)
        if (cursor.virtual_key == key->wVirtualKeyCode)
            return ctrl ? cursor.ctrl : cursor.plain;
    return 0;
}

static int special_key_codes(const KEY_EVENT_RECORD* key, int codes[KEY_CODES_MAX])
{
    WORD virtual_key = key->wVirtualKeyCode;
    if (virtual_key >= VK_F1 && virtual_key < VK_F1 + FUNCTION_KEYS) {
        codes[0] = KEY_PREFIX_FUNCTION;
        codes[1] = function_key_code(key);
        return 2;
    }
    int scan = cursor_key_code(key);
    if (scan == 0)
        return 0; // Shift, Ctrl and the other keys that type nothing
    codes[0] = KEY_PREFIX_CURSOR;
    codes[1] = scan;
    return 2;
}

// The bytes of the UTF-16 units in the code page; 0 when it cannot hold the character (no
// best-fit stand-in and no default character: the key is dropped).
static int character_bytes(UINT code_page, const wchar_t* units, int count, char* bytes)
{
    if (code_page == CP_UTF8)
        return WideCharToMultiByte(CP_UTF8, 0, units, count, bytes, 4, nullptr, nullptr);
    BOOL used_default = FALSE;
    int size = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, units, count, bytes, 4, nullptr,
                                   &used_default);
    return used_default ? 0 : size;
}

static int character_codes(UINT code_page, const wchar_t* units, int count,
                           int codes[KEY_CODES_MAX])
{
    char bytes[4];
    int size = character_bytes(code_page, units, count, bytes);
    int used = 0;
    for (int i = 0; i < size; ++i) {
        int code = static_cast<unsigned char>(bytes[i]);
        // The doubling of a text byte 224 outside UTF-8 (platform.h). A second byte is taken
        // whole by the line editor, whatever its value.
        if (i == 0 && code == KEY_PREFIX_CURSOR && code_page != CP_UTF8)
            codes[used++] = code;
        codes[used++] = code;
    }
    return used;
}

int key_event_codes(KeyDecoder* decoder, const KEY_EVENT_RECORD* key, UINT code_page,
                    int codes[KEY_CODES_MAX])
{
    if (!key->bKeyDown)
        return 0;
    wchar_t unit = key->uChar.UnicodeChar;
    if (unit == 0)
        return special_key_codes(key, codes);
    // Alt with a character key; AltGr (Ctrl and Alt together) types characters.
    if (held(key, LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED) &&
        !held(key, LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) {
        codes[0] = KEY_PREFIX_FUNCTION;
        codes[1] = unit == 'b' || unit == 'B'   ? SCAN_ALT_B
                   : unit == 'f' || unit == 'F' ? SCAN_ALT_F
                   : unit == '\r'               ? SCAN_ALT_ENTER
                                                : SCAN_ALT_KEY;
        return 2;
    }
    wchar_t high = decoder->high_surrogate;
    decoder->high_surrogate = 0;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        decoder->high_surrogate = unit; // the second half comes with the next event
        return 0;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        if (high == 0)
            return 0; // half a pair is no character
        wchar_t pair[2] = {high, unit};
        return character_codes(code_page, pair, 2, codes);
    }
    return character_codes(code_page, &unit, 1, codes);
}

int console_read_codes(KeyDecoder* decoder, const INPUT_RECORD* record, DWORD got, UINT code_page,
                       int codes[KEY_CODES_MAX])
{
    // Windows blocks until a record comes; Wine's console ends the read empty at Ctrl-C when
    // processed input is off, and raises no control event for it either.
    if (got == 0) {
        codes[0] = 3;
        return 1;
    }
    if (record->EventType != KEY_EVENT)
        return 0;
    return key_event_codes(decoder, &record->Event.KeyEvent, code_page, codes);
}
