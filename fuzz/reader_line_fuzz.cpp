// reader_line_fuzz.cpp: the script line reader on any file contents with small limits.
#include "core/script.h"
#include "fuzz_support.h"

#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_init();
    if (size < 1)
        return 0;
    size_t max = 1 + data[0] % 40; // 1 to 40 bytes per line
    FILE* file = std::fopen("input.txt", "wb");
    if (!file)
        return 0;
    std::fwrite(data + 1, 1, size - 1, file);
    std::fclose(file);
    LineReader reader;
    if (!reader_open(&reader, "input.txt"))
        __builtin_trap();
    std::vector<char> out(max + 1);
    while (int n = reader_line(&reader, out.data(), max)) {
        if (static_cast<size_t>(n) > max + 1 || out[n - 1] != 0)
            __builtin_trap(); // within max, and terminated where the length says
    }
    return 0;
}
