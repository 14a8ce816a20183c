// prompt_width.cpp: the columns a prompt takes, skipping the sequences that colour it.
#include "console/prompt_width.h"

#include "console/line_text.h"

// The end of a sequence whose body runs from `at` up to a byte in [low, high]; an unended one
// runs to the end of the text.
static size_t body_end(const char* text, size_t at, char low, char high)
{
    while (text[at] && (text[at] < low || text[at] > high))
        ++at;
    return text[at] ? at + 1 : at;
}

// An operating system command ends at BEL or at ESC \.
static size_t command_end(const char* text, size_t at)
{
    for (; text[at]; ++at) {
        if (text[at] == '\a')
            return at + 1;
        if (text[at] == '\x1b' && text[at + 1] == '\\')
            return at + 2;
    }
    return at;
}

size_t sequence_length_at(const char* text, size_t at)
{
    if (text[at] != '\x1b' || !text[at + 1])
        return 0;
    if (text[at + 1] == '[')
        return body_end(text, at + 2, '@', '~') - at;
    if (text[at + 1] == ']')
        return command_end(text, at + 2) - at;
    if (text[at + 1] >= ' ' && text[at + 1] <= '/') // intermediate bytes up to a final one
        return body_end(text, at + 2, '0', '~') - at;
    return 2;
}

int prompt_columns(const char* prompt, size_t* last_row)
{
    int columns = 0;
    *last_row = 0;
    for (size_t at = 0; prompt[at];) {
        size_t skip = sequence_length_at(prompt, at);
        char c = prompt[at];
        if (skip == 0 && (c == '\n' || c == '\r')) {
            columns = 0;
            *last_row = at + 1;
        }
        if (skip == 0 && !((c >= 0 && c < 32) || c == 127)) {
            skip = char_length_at(prompt, at);
            columns += text_columns(prompt, at, at + skip);
        }
        at += skip > 0 ? skip : 1;
    }
    return columns;
}
