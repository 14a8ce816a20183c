// read_word_fuzz.cpp: the word reader on whole lines, word after word into a small area.
#include "fuzz_support.h"
#include "parse/char_class.h"
#include "parse/read_word.h"
#include "parse/strings.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_init();
    if (size < 1)
        return 0;
    // The first byte picks the size of the output area, so that its end is often reached, and
    // with its top bit the Shift_JIS rules instead of UTF-8's.
    size_t area_size = 1 + data[0] % 64;
    set_code_page(data[0] & 0x80 ? CODE_PAGE_SHIFT_JIS : CODE_PAGE_UTF8, nullptr);
    std::string line = fuzz_text(data + 1, size - 1);
    ShellContext* ctx = fuzz_context();
    std::vector<char> area(area_size);
    const char* text = line.c_str();
    fuzz_run([&] {
        // As in line execution, a '#' where a word would start ends the words.
        while (*skip_blanks(text) && *skip_blanks(text) != '#') {
            const char* next = read_word(area.data(), area.size(), text, ctx);
            if (next <= text)
                __builtin_trap(); // the reader must always make progress
            if (ctx->word_end < area.data() || ctx->word_end >= area.data() + area.size())
                __builtin_trap();
            text = next;
        }
    });
    fuzz_reset(ctx);
    return 0;
}
