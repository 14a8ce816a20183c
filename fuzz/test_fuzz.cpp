// test_fuzz.cpp: the test built-in on word lists (words separated by NUL bytes).
#include "exec/test.h"
#include "fuzz_support.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words;
    size_t start = 0;
    while (start <= text.size() && words.size() < 8) {
        size_t end = text.find('\0', start);
        if (end == std::string::npos)
            end = text.size();
        words.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    ShellContext* ctx = fuzz_context();
    // The one error test has is an expression too long for the evaluator, shown as -1.
    if (builtin_test(argv.data(), ctx) < -1)
        __builtin_trap();
    return 0;
}
