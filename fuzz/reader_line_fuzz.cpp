// reader_line_fuzz.cpp: the script line reader on any file contents with small limits, and
// the run-wise reading of cat: both must hand out every byte but the carriage returns.
#include "core/script.h"
#include "fuzz_support.h"

#include <cstdio>
#include <string>
#include <vector>

// Appends the next line or piece of one that reader_line hands out; false at the end.
static bool take_line(LineReader* reader, std::vector<char>* out, size_t max, std::string* text)
{
    int n = reader_line(reader, out->data(), max);
    if (n == 0)
        return false;
    size_t length = static_cast<size_t>(n - 1);
    if (length > max || (*out)[length] != 0 || (reader->ending == READER_CUT && length != max))
        __builtin_trap(); // within max, terminated where the length says, cut only when full
    text->append(out->data(), length);
    if (reader->ending == READER_FEED)
        text->push_back('\n');
    return true;
}

// Joins what reader_line hands out; with `skip` a line that is cut is passed over whole.
static std::string read_all(LineReader* reader, size_t max, bool skip)
{
    std::vector<char> out(max + 1);
    std::string text;
    for (size_t kept = 0; take_line(reader, &out, max, &text); kept = text.size()) {
        if (skip && reader->ending == READER_CUT) {
            text.resize(kept);
            reader_skip_line(reader);
        }
    }
    return text;
}

// The text without carriage returns and, with `max`, without the lines longer than that.
static std::string expected(const uint8_t* data, size_t size, size_t max)
{
    std::string text, line;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\r')
            continue;
        line.push_back(static_cast<char>(data[i]));
        if (data[i] == '\n' || i + 1 == size) {
            if (!max || line.size() - (line.back() == '\n') <= max)
                text += line;
            line.clear();
        }
    }
    if (!line.empty() && (!max || line.size() <= max))
        text += line;
    return text;
}

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
    if (read_all(&reader, max, false) != expected(data + 1, size - 1, 0))
        __builtin_trap();
    if (!reader_open(&reader, "input.txt"))
        __builtin_trap();
    if (read_all(&reader, max, true) != expected(data + 1, size - 1, max))
        __builtin_trap();
    if (!reader_open(&reader, "input.txt"))
        __builtin_trap();
    std::string by_runs;
    for (;;) {
        const char* run;
        if (size_t length = reader_whole_lines(&reader, &run)) {
            by_runs.append(run, length);
            continue;
        }
        std::vector<char> out(max + 1);
        if (!take_line(&reader, &out, max, &by_runs))
            break;
    }
    if (by_runs != expected(data + 1, size - 1, 0))
        __builtin_trap();
    return 0;
}
