// edit_line_fuzz.cpp: the prompt's line editor and the $< line input on any keys.
//
// The first byte picks the input and the prompt width, the next two bind one control key to
// any action byte (the top bit of the first of them picks the Shift_JIS rules instead of
// UTF-8's); the rest are the keys, two-code extended keys included. Lines accepted by
// the prompt's editor go into the history, so later lines can browse and search it.
#include "console/line_input.h"
#include "console/output.h"
#include "fuzz_support.h"
#include "parse/char_class.h"

#include <array>
#include <cstring>

static const uint8_t* keys;
static size_t keys_left;

static int next_key()
{
    if (keys_left == 0)
        return -1;
    --keys_left;
    return *keys++;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_init();
    if (size < 3)
        return 0;
    ShellContext* ctx = fuzz_context();
    bool prompt = (data[0] & 1) != 0;
    int prompt_width = data[0] >> 1;
    ctx->store->key_actions[data[1] % 32] = data[2];
    set_code_page(data[1] & 0x80 ? CODE_PAGE_SHIFT_JIS : CODE_PAGE_UTF8, nullptr);
    keys = data + 3;
    keys_left = size - 3;
    key_source = next_key;
    std::array<char, LOOP_BUFFER_SIZE + 1> line;
    line.back() = 0x5A; // a byte past the buffer the editors are given
    try {
        for (int lines = 0; keys_left > 0 && lines < 64; ++lines) {
            if (prompt) {
                if (!edit_line(line.data(), ctx, prompt_width))
                    break;
                if (std::strlen(line.data()) > EDIT_LINE_MAX)
                    __builtin_trap();
            } else {
                read_keyboard_line(line.data(), ctx);
                if (std::strlen(line.data()) >= KEYBOARD_LINE_SIZE)
                    __builtin_trap();
            }
        }
    } catch (const FuzzExit&) {
    } catch (const Interrupt&) {
    }
    if (line.back() != 0x5A)
        __builtin_trap();
    key_source = sys_read_key;
    fuzz_reset(ctx);
    return 0;
}
