// reader_line_fuzz.cpp: the script line reader on any file contents with small limits, and
// the run-wise reading of cat, which must hand out the same lines.
#include "core/script.h"
#include "fuzz_support.h"

#include <cstdio>
#include <string>
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
    std::string by_lines;
    while (int n = reader_line(&reader, out.data(), max)) {
        if (static_cast<size_t>(n) > max + 1 || out[n - 1] != 0)
            __builtin_trap(); // within max, and terminated where the length says
        by_lines.append(out.data(), static_cast<size_t>(n - 1)).push_back('\n');
    }
    if (!reader_open(&reader, "input.txt"))
        __builtin_trap();
    std::string by_runs;
    for (;;) {
        const char* run;
        if (size_t length = reader_whole_lines(&reader, max, &run)) {
            by_runs.append(run, length);
            continue;
        }
        int n = reader_line(&reader, out.data(), max);
        if (n == 0)
            break;
        by_runs.append(out.data(), static_cast<size_t>(n - 1)).push_back('\n');
    }
    if (by_runs != by_lines)
        __builtin_trap();
    return 0;
}
