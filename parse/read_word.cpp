// read_word.cpp: reads one word with quoting, escapes, expansions and backquoted commands.
#include "parse/read_word.h"

#include "core/run_line.h"
#include "parse/char_class.h"
#include "parse/expand.h"
#include "parse/strings.h"

#include <cstring>

// Quote state of one word. A backquoted command is consumed whole the moment it opens, so
// QUOTE_BACK never stands while the word is scanned; it keeps its place in the checks.
constexpr unsigned QUOTE_DOUBLE = 1;
constexpr unsigned QUOTE_SINGLE = 2;
constexpr unsigned QUOTE_BACK = 4;

// The caller's output area, ending before `end`, with one byte always kept for the terminator.
// Once one piece does not fit nothing more is added: a cut word is a prefix of the whole word
// and never ends in half a double-byte character.
struct WordOut {
    char* pos;
    char* end;
    bool full;
};

static void put_bytes(WordOut* word, const char* bytes, int count)
{
    if (word->full || word->end - word->pos <= count) {
        word->full = true;
        return;
    }
    while (count-- > 0)
        *word->pos++ = *bytes++;
}

// '>' may follow the first byte, and 'e' may follow a '>': `>`, `>>e`, `|>`, `&>e`, `;>`...
static const char* read_operator(WordOut* word, const char* p)
{
    const char* start = p++;
    if (*p == '>')
        ++p;
    if (p[-1] == '>' && *p == 'e')
        ++p;
    put_bytes(word, start, static_cast<int>(p - start));
    return p;
}

// At a backslash: `\cX` is the control character X ^ 0x40, any other byte stands for itself.
// A backslash (or `\c`) at the end of the text adds nothing.
static const char* read_escape(WordOut* word, const char* p)
{
    if (p[1] == 0)
        return p + 1;
    if (p[1] != 'c') {
        put_bytes(word, p + 1, 1);
        return p + 2;
    }
    if (p[2] == 0)
        return p + 2;
    char control = static_cast<char>(p[2] ^ 0x40);
    put_bytes(word, &control, 1);
    return p + 3;
}

// At a backquote: runs the text up to the next backquote as a command line now. The command
// writes where it writes; the word gets nothing from it. A command too long for the buffer is
// not run at all, since a cut command line could do something else than the whole one; nor is
// one in a word already cut, whose line will not run.
static const char* run_backquoted(WordOut* word, const char* p, ShellContext* ctx)
{
    const char* start = p + 1;
    const char* end = start;
    while (*end != 0 && *end != '`')
        ++end;
    if (!word->full && end - start < static_cast<ptrdiff_t>(EXPANSION_SIZE)) {
        char command[EXPANSION_SIZE];
        char* q = command;
        for (const char* s = start; s < end; ++s)
            *q++ = *s;
        *q = 0;
        run_line(command, ctx);
    }
    return *end == '`' ? end + 1 : end;
}

// The value is made where it goes, in the room left in the word. Once the word is cut nothing
// more of it is expanded: the line will not run with it.
static void put_expansion(WordOut* word, const char* name, ShellContext* ctx)
{
    if (word->full)
        return;
    if (word->pos >= word->end ||
        !expand_parameter(name, ctx, word->pos, static_cast<size_t>(word->end - word->pos))) {
        word->full = true;
        return;
    }
    while (*word->pos != 0)
        ++word->pos;
}

// At a '$': one special byte, or a name as scan_name reads it (an empty name gives nothing).
static const char* read_parameter(WordOut* word, const char* p, ShellContext* ctx)
{
    char name[NAME_SIZE];
    if (char_index("?/0123456789*@<", p[1]) != 0) {
        name[0] = p[1];
        name[1] = 0;
        p += 2;
    } else {
        p = scan_name(name, p + 1);
    }
    put_expansion(word, name, ctx);
    return p;
}

// While words are read out of a value, a backquote, `~` or `$` there is a byte like any other:
// text that came from a variable never runs, assigns or expands.
static int value_words_read = 0;

ValueWords::ValueWords() { ++value_words_read; }
ValueWords::~ValueWords() { --value_words_read; }

// A single quote always switches single quoting; inside double quotes it is also kept.
static void single_quote(WordOut* word, const char* p, unsigned* quote)
{
    *quote ^= QUOTE_SINGLE;
    if (*quote & (QUOTE_DOUBLE | QUOTE_BACK))
        put_bytes(word, p, 1);
}

// A byte that acts (quote, escape, command, home, parameter); the position behind it.
static const char* read_active(WordOut* word, const char* p, unsigned* quote, ShellContext* ctx)
{
    if (value_words_read > 0 && (*p == '`' || *p == '~' || *p == '$')) {
        put_bytes(word, p, 1);
        return p + 1;
    }
    switch (*p) {
    case '"':
        *quote ^= QUOTE_DOUBLE;
        return p + 1;
    case '\'':
        single_quote(word, p, quote);
        return p + 1;
    case '\\':
        return read_escape(word, p);
    case '`':
        return run_backquoted(word, p, ctx);
    case '~':
        put_expansion(word, "HOME", ctx);
        return p + 1;
    default:
        return read_parameter(word, p, ctx);
    }
}

// What a byte may do in a word, looked up once per byte instead of searched for in a set.
constexpr uint8_t BYTE_STOPS = 0x01;  // ends a word that is not quoted
constexpr uint8_t BYTE_ACTIVE = 0x02; // quotes, escapes, backquotes, ~ and $

struct ByteRoles {
    uint8_t role[256] = {};
    constexpr ByteRoles()
    {
        for (char c : {'\t', ' ', '#', '&', ';', '<', '>', '|'})
            role[static_cast<unsigned char>(c)] |= BYTE_STOPS;
        for (char c : {'"', '\'', '\\', '`', '~', '$'})
            role[static_cast<unsigned char>(c)] |= BYTE_ACTIVE;
    }
};
constexpr ByteRoles byte_roles;

static bool byte_has(char c, uint8_t role)
{
    return (byte_roles.role[static_cast<unsigned char>(c)] & role) != 0;
}

static const char* read_ordinary(WordOut* word, const char* p, ShellContext* ctx)
{
    unsigned quote = 0;
    while (*p != 0 && *p != '\n') {
        // After a lead byte the next byte is half of the same character, even if it looks
        // like a quote.
        if (char_width(p) == 2) {
            put_bytes(word, p, 2);
            p += 2;
        } else if (quote == 0 && byte_has(*p, BYTE_STOPS)) {
            break;
        } else if (*p == '\r') {
            ++p;
        } else if (!byte_has(*p, BYTE_ACTIVE) || ((quote & QUOTE_SINGLE) && *p != '\'')) {
            put_bytes(word, p++, 1);
        } else {
            p = read_active(word, p, &quote, ctx);
        }
    }
    return p;
}

// A word the reader would give back as it is: not empty, no blank or control byte (a leading
// one would be skipped), no byte that stops or acts, and no lead byte without its second half
// (it would take the blank behind it).
static bool reads_back_plain(const char* word)
{
    if (*word == 0)
        return false;
    for (const char* p = word; *p != 0; p += char_width(p)) {
        if (char_width(p) == 2)
            continue;
        if (static_cast<unsigned char>(*p) <= 0x20 || is_lead(*p) ||
            byte_has(*p, BYTE_STOPS | BYTE_ACTIVE))
            return false;
    }
    return true;
}

// Single quotes keep every byte but three: a single quote ends them, a newline ends the word
// and a carriage return is dropped; each of those goes out of the quotes, escaped.
static void put_quoted(WordOut* line, const char* word)
{
    put_bytes(line, "'", 1);
    for (const char* p = word; *p != 0; p += char_width(p)) {
        if (char_width(p) == 2) {
            put_bytes(line, p, 2);
        } else if (is_lead(*p)) {
            // A lone lead byte stands last; escaped, it cannot take the blank behind it.
            put_bytes(line, "'\\", 2);
            put_bytes(line, p, 1);
            return;
        } else if (*p == '\'' || *p == '\n' || *p == '\r') {
            put_bytes(line, "'\\", 2);
            put_bytes(line, p, 1);
            put_bytes(line, "'", 1);
        } else {
            put_bytes(line, p, 1);
        }
    }
    put_bytes(line, "'", 1);
}

char* quote_word(char* out, char* end, const char* word)
{
    WordOut line = {out, end, false};
    if (reads_back_plain(word))
        put_bytes(&line, word, static_cast<int>(std::strlen(word)));
    else
        put_quoted(&line, word);
    return line.full ? nullptr : line.pos;
}

bool starts_operator(const char* text) { return *text != 0 && char_index("><|&;", *text) != 0; }

const char* read_word(char* out, size_t out_size, const char* text, ShellContext* ctx)
{
    WordOut word = {out, out + out_size, false};
    const char* p = skip_blanks(text);
    if (starts_operator(p))
        p = read_operator(&word, p);
    else
        p = read_ordinary(&word, p, ctx);
    if (word.pos < word.end)
        *word.pos = 0;
    ctx->word_end = word.pos;
    ctx->word_cut = word.full;
    return p;
}

const char* scan_name(char* dst, const char* text)
{
    char* last = dst + NAME_SIZE - 1;
    if (*text == '{') {
        for (++text; *text != 0 && *text != '}'; ++text)
            if (dst < last)
                *dst++ = *text;
        if (*text == '}')
            ++text;
    } else {
        for (; has_class(*text, CC_NAME); ++text)
            if (dst < last)
                *dst++ = *text;
    }
    *dst = 0;
    return text;
}
