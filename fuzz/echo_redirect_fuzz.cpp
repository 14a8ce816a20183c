// echo_redirect_fuzz.cpp: a redirected echo of any words writes exactly what echo prints.
//
// The input is a list of words, each ended by a NUL byte. Unredirected, echo prints them here;
// redirected, a child shell gets the line joined as for a child and runs its text: that text
// runs here the same way, and both must print the same bytes, with nothing else run between.
#include "console/output.h"
#include "core/run_line.h"
#include "exec/command.h"
#include "fuzz_support.h"

#include <cstdlib>
#include <string>
#include <vector>

static std::string printed;

static void capture(const char* data, size_t size) { printed.append(data, size); }

static std::string output_of_line(const char* line, ShellContext* ctx)
{
    printed.clear();
    try {
        run_line(line, ctx);
    } catch (const FuzzExit&) {
    }
    return printed;
}

static std::string output_of_echo(char** words, ShellContext* ctx)
{
    printed.clear();
    run_one(words, ctx);
    return printed;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_init();
    output_sink = capture;
    std::vector<std::string> text(1, "vrel");
    text.emplace_back("echo");
    text.emplace_back();
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            text.emplace_back();
        else
            text.back().push_back(static_cast<char>(data[i]));
    }
    std::vector<char*> words;
    for (std::string& word : text) {
        // A word that begins with an operator byte is taken by next_command wherever it came
        // from, so it never stands among a command's words.
        if (!word.empty() && word.find_first_of("<>|&;") == 0)
            return 0;
        words.push_back(word.data());
    }
    words.push_back(nullptr);
    static char line[COMMAND_LINE_SIZE];
    ShellContext* ctx = fuzz_context();
    // The child's line is joined before anything runs: echo may not change its words.
    if (join_words(line, words.data(), true)) {
        std::string direct = output_of_echo(words.data() + 1, ctx);
        std::string child = output_of_line(line + 5, ctx); // the text behind "vrel "
        if (direct != child)
            std::abort();
    }
    fuzz_reset(ctx);
    return 0;
}
