// expand_fuzz.cpp: parameter expansion on name texts with operators and modifier lists.
#include "fuzz_support.h"
#include "parse/expand.h"
#include "parse/read_word.h"

#include <array>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_init();
    std::string text = fuzz_text(data, size);
    // Give the names something to work on: a long value, a path and a number.
    sys_set_env("a", "c:/tmp/some.dir/a.tar.gz");
    sys_set_env("n", "4294967295");
    sys_set_env("l", std::string(1023, 'x').c_str());
    ShellContext* ctx = fuzz_context();
    std::array<char, EXPANSION_SIZE> out;
    fuzz_run([&] {
        expand_parameter(text.c_str(), ctx, out.data(), out.size());
        if (std::memchr(out.data(), 0, out.size()) == nullptr)
            __builtin_trap(); // the result must be terminated inside its buffer
    });
    fuzz_reset(ctx);
    return 0;
}
