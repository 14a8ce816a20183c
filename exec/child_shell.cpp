// child_shell.cpp: the state a child shell takes over, carried in one environment variable.
//
// A built-in or function with a redirection or a pipe runs in a child copy of the shell, and
// that child must do what the command would do here: it gets this shell's function
// definitions, the option bits a user sets and the key-action table. They travel as hex text
// (any byte survives every code page) in one variable that exists only while the child starts:
// the parent removes it once the child is started, and the child reads and removes it before
// anything else, so no program and no `set` listing ever sees it. Nothing is written to disk.
#include "exec/child_shell.h"

#include "exec/functions.h"

#include <cstring>

// The option bits a child shares; the others describe the command now being started.
constexpr uint32_t HANDED_OPTIONS = OPT_NOEXIT | OPT_ECHO | OPT_TRACE;
constexpr size_t OPTIONS_DIGITS = 8;
// Options, key actions and every byte of the definitions, two digits a byte: 8233 bytes with a
// full store, well inside the 32767 characters a variable holds on Windows.
constexpr size_t STATE_TEXT_SIZE = OPTIONS_DIGITS + 2 * (KEY_ACTIONS_SIZE + DEFINITIONS_SIZE) + 1;

static const char HEX_DIGITS[] = "0123456789abcdef";

static char* put_hex(char* out, const uint8_t* data, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        *out++ = HEX_DIGITS[data[i] >> 4];
        *out++ = HEX_DIGITS[data[i] & 15];
    }
    return out;
}

static int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads `size` bytes of hex text; null when the text is short or not hex.
static const char* take_hex(const char* text, uint8_t* data, size_t size)
{
    for (size_t i = 0; i < size; ++i, text += 2) {
        int high = hex_value(text[0]);
        int low = high < 0 ? -1 : hex_value(text[1]);
        if (low < 0)
            return nullptr;
        data[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return text;
}

// The bytes of the definitions up to and with their terminator.
static size_t definitions_length(const FunctionStore* store)
{
    const char* p = store->definitions;
    while (*p) {
        p += std::strlen(p) + 1;
        p += std::strlen(p) + 1;
    }
    return static_cast<size_t>(p - store->definitions) + 1;
}

// True when `size` bytes are records (name NUL body NUL) ending exactly in the terminator.
static bool whole_definitions(const char* data, size_t size)
{
    size_t at = 0;
    while (at < size && data[at]) {
        for (int field = 0; field < 2; ++field) {
            const void* nul = std::memchr(data + at, 0, size - at);
            if (!nul)
                return false;
            at = static_cast<size_t>(static_cast<const char*>(nul) - data) + 1;
        }
    }
    return at + 1 == size;
}

StateHandOver::StateHandOver(ShellContext* ctx, bool wanted) : active(wanted)
{
    if (!active)
        return;
    char text[STATE_TEXT_SIZE];
    uint32_t options = ctx->options & HANDED_OPTIONS;
    for (size_t i = 0; i < OPTIONS_DIGITS; ++i)
        text[i] = HEX_DIGITS[(options >> (28 - 4 * i)) & 15];
    char* p = put_hex(text + OPTIONS_DIGITS, ctx->store->key_actions, KEY_ACTIONS_SIZE);
    const auto* definitions = reinterpret_cast<const uint8_t*>(ctx->store->definitions);
    p = put_hex(p, definitions, definitions_length(ctx->store));
    *p = 0;
    if (!sys_set_env(CHILD_STATE_VARIABLE, text))
        failure = sys_last_error() ? sys_last_error() : 1;
}

StateHandOver::~StateHandOver()
{
    if (active)
        sys_set_env(CHILD_STATE_VARIABLE, nullptr);
}

// Puts a state text into ctx; false, with ctx unchanged, when the text is not a whole state.
static bool load_state(const char* text, ShellContext* ctx)
{
    uint8_t options[OPTIONS_DIGITS / 2];
    uint8_t keys[KEY_ACTIONS_SIZE];
    char definitions[DEFINITIONS_SIZE];
    text = take_hex(text, options, sizeof options);
    if (text)
        text = take_hex(text, keys, sizeof keys);
    size_t length = text ? std::strlen(text) / 2 : 0;
    if (!text || length == 0 || length > DEFINITIONS_SIZE || text[2 * length] != 0)
        return false;
    auto* bytes = reinterpret_cast<uint8_t*>(definitions);
    if (!take_hex(text, bytes, length) || !whole_definitions(definitions, length))
        return false;
    uint32_t bits = 0;
    for (uint8_t byte : options)
        bits = bits << 8 | byte;
    ctx->options = (ctx->options & ~HANDED_OPTIONS) | (bits & HANDED_OPTIONS);
    std::memcpy(ctx->store->key_actions, keys, KEY_ACTIONS_SIZE);
    std::memcpy(ctx->store->definitions, definitions, length);
    return true;
}

bool take_over_state(ShellContext* ctx)
{
    if (sys_env_length(CHILD_STATE_VARIABLE) == 0)
        return false;
    char text[STATE_TEXT_SIZE];
    size_t length = sys_get_env(CHILD_STATE_VARIABLE, text, sizeof text);
    sys_set_env(CHILD_STATE_VARIABLE, nullptr);
    return length > 0 && load_state(text, ctx);
}
