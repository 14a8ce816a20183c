// echo_redirect_fuzz.cpp: words given through variables are printed unchanged by echo,
// redirected or not, and never separate, redirect or open a file.
//
// The input is a list of words of any bytes, each ended by a NUL byte. Each word becomes the
// value of a variable, and `echo $v0 $v1 ...` must print what echo prints for the words
// themselves, with no redirection recorded. Redirected, echo runs in a child shell that gets
// the words joined as for a child: that text runs here the same way and must print the same.
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
    fuzz_run([&] { run_line(line, ctx); });
    return printed;
}

static std::string output_of_echo(char** words, ShellContext* ctx)
{
    printed.clear();
    run_one(words, ctx);
    return printed;
}

// True when the last command named no file and had no separator but the line's end.
static bool opened_nothing(const ShellContext* ctx)
{
    return !ctx->in_path && !ctx->out_path && !ctx->err_path && ctx->redir_flags == 0 &&
           (ctx->options & (OPT_PIPE | OPT_NOWAIT)) == 0;
}

// Sets v0, v1 ... to the words and returns the line "echo $v0 $v1 ...".
static std::string echo_of_variables(const std::vector<std::string>& values)
{
    std::string line = "echo";
    for (size_t i = 0; i < values.size(); ++i) {
        std::string name = "v" + std::to_string(i);
        if (!sys_set_env(name.c_str(), values[i].c_str()))
            return std::string();
        line += " $" + name;
    }
    return line;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_init();
    output_sink = capture;
    std::vector<std::string> values(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            values.emplace_back();
        else
            values.back().push_back(static_cast<char>(data[i]));
    }
    std::vector<std::string> text = {"vrel", "echo"};
    text.insert(text.end(), values.begin(), values.end());
    std::vector<char*> words;
    for (std::string& word : text)
        words.push_back(word.data());
    words.push_back(nullptr);
    static char line[COMMAND_LINE_SIZE];
    ShellContext* ctx = fuzz_context();
    std::string echo_line = echo_of_variables(values);
    // The child's line is joined before anything runs: echo may not change its words.
    if (!echo_line.empty() && join_words(line, words.data(), true)) {
        std::string direct = output_of_echo(words.data() + 1, ctx);
        if (output_of_line(echo_line.c_str(), ctx) != direct || !opened_nothing(ctx))
            std::abort();
        if (output_of_line(line + 5, ctx) != direct || !opened_nothing(ctx)) // behind "vrel "
            std::abort();
    }
    fuzz_reset(ctx);
    return 0;
}
