// command_line.cpp: a joined command line cut into arguments as a Windows program cuts it.
//
// Blanks and tabs separate and double quotes group. Backslashes are plain bytes except before
// a double quote: 2n of them give n and the quote groups, 2n+1 give n and a literal quote.
// Inside a quoted run two quotes give one literal quote and end the run; outside, three quotes
// in a row give one. The program name ends at the first blank or tab, or, when it starts with
// a quote, at the next quote; backslashes are nothing special in it. So a line means the same
// arguments here as it does to a program on Windows.
#include "posix_layer.h"

#include <cstring>

static bool is_blank(char c) { return c == ' ' || c == '\t'; }

static const char* skip_blanks_and_tabs(const char* at)
{
    while (is_blank(*at))
        ++at;
    return at;
}

static const char* take_program_name(const char* at, std::string* name)
{
    if (*at != '"') {
        const char* end = at;
        while (*end != 0 && !is_blank(*end))
            ++end;
        name->assign(at, end);
        return end;
    }
    const char* end = strchr(at + 1, '"');
    if (!end) {
        name->assign(at + 1);
        return at + strlen(at);
    }
    name->assign(at + 1, end);
    return end + 1;
}

// At a double quote behind `backslashes` backslashes (already in word): halves them, then
// the quote either groups or is a literal one. `quotes` counts the quotes of a run: 1 inside a
// quoted run, 0 outside; a third one in a row is a literal quote.
static const char* take_quotes(const char* at, size_t backslashes, int* quotes, std::string* word)
{
    word->resize(word->size() - backslashes / 2);
    if (backslashes % 2 == 0) {
        ++*quotes;
    } else {
        word->back() = '"';
    }
    for (++at; *at == '"'; ++at) {
        if (++*quotes == 3) {
            word->push_back('"');
            *quotes = 0;
        }
    }
    if (*quotes == 2)
        *quotes = 0;
    return at;
}

static const char* take_argument(const char* at, std::string* word)
{
    int quotes = 0;
    size_t backslashes = 0;
    while (*at != 0 && (quotes != 0 || !is_blank(*at))) {
        if (*at == '"') {
            at = take_quotes(at, backslashes, &quotes, word);
            backslashes = 0;
            continue;
        }
        backslashes = *at == '\\' ? backslashes + 1 : 0;
        word->push_back(*at++);
    }
    return at;
}

std::vector<std::string> split_command_line(const char* line)
{
    std::vector<std::string> words(1);
    const char* at = skip_blanks_and_tabs(take_program_name(line, &words[0]));
    while (*at != 0) {
        words.emplace_back();
        at = skip_blanks_and_tabs(take_argument(at, &words.back()));
    }
    return words;
}

const char* command_line_arguments(const char* line)
{
    std::string name;
    return skip_blanks_and_tabs(take_program_name(line, &name));
}
