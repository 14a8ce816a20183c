// char_class.cpp: the byte class table of this platform.
#include "parse/char_class.h"

#include "platform/platform.h"

// Bytes 0x80-0xFF: on Windows the Shift_JIS lead bytes carry CC_LEAD, the single-byte katakana
// are plain name bytes, and 0xA0 and 0xFF are nothing. In UTF-8 no byte of a sequence is below
// 0x80, so every one of them is a name byte and none starts a double-byte pair.
constexpr uint8_t N = CC_NAME;
constexpr uint8_t D = CC_NAME | CC_DIGIT;
constexpr uint8_t U = CC_NAME | CC_UPPER;
constexpr uint8_t W = CC_NAME | CC_LOWER;
constexpr uint8_t L = PLATFORM_UTF8 ? CC_NAME : CC_LEAD | CC_NAME;
constexpr uint8_t K = CC_NAME;
constexpr uint8_t X = PLATFORM_UTF8 ? CC_NAME : 0;

const uint8_t char_class[256] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // 0x00
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // 0x10
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, N, N, 0, // 0x20: '-' '.'
    D, D, D, D, D, D, D, D, D, D, 0, 0, 0, 0, 0, 0, // 0x30
    0, U, U, U, U, U, U, U, U, U, U, U, U, U, U, U, // 0x40
    U, U, U, U, U, U, U, U, U, U, U, 0, 0, 0, 0, N, // 0x50: '_'
    0, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, // 0x60
    W, W, W, W, W, W, W, W, W, W, W, 0, 0, 0, 0, 0, // 0x70
    L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, // 0x80
    L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, // 0x90
    X, K, K, K, K, K, K, K, K, K, K, K, K, K, K, K, // 0xA0
    K, K, K, K, K, K, K, K, K, K, K, K, K, K, K, K, // 0xB0
    K, K, K, K, K, K, K, K, K, K, K, K, K, K, K, K, // 0xC0
    K, K, K, K, K, K, K, K, K, K, K, K, K, K, K, K, // 0xD0
    L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, // 0xE0
    L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, X, // 0xF0
};
