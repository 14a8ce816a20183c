// modifiers.cpp: the one-letter modifiers of ${name:list}, applied to a value in place.
#include "console/output.h"
#include "parse/expand.h"
#include "parse/program_argument.h"
#include "parse/read_word.h"
#include "parse/strings.h"

#include <cstring>

// Removes the first `count` bytes (copying forward is safe for a shift to the left).
static void drop_front(char* value, size_t count) { copy_end(value, value + count); }

static void keep_extension(char* value)
{
    char* dot = extension_of(value);
    if (*dot == '.')
        drop_front(value, static_cast<size_t>(dot + 1 - value));
    else
        value[0] = 0;
}

static void hex_of_number(char* value)
{
    uint32_t number = parse_decimal(value);
    *format_hex(value, number, 8) = 0;
}

static void character_of_number(char* value)
{
    value[0] = static_cast<char>(parse_decimal(value) & 0xFF);
    value[1] = 0;
}

// Replaces value by its n-th word as the word reader cuts text (the last one when there are
// fewer): quotes group, but nothing in the value expands or runs. A '#' ends the words there,
// as it ends the words of a line. Each word is read into the room behind value; false when a
// word does not fit there.
static bool pick_word(char* value, size_t size, uint32_t n, ShellContext* ctx)
{
    if (n == 0)
        return true;
    size_t length = std::strlen(value);
    if (length + 2 > size)
        return false;
    ValueWords value_words;
    char* word = value + length + 1;
    word[0] = 0;
    const char* p = value;
    for (uint32_t i = 0; i < n; ++i) {
        const char* start = skip_blanks(p);
        if (*start == 0 || *start == '#')
            break;
        p = read_word(word, size - length - 1, start, ctx);
        if (ctx->word_cut)
            return false;
    }
    copy_end(value, word);
    return true;
}

// The numbers that modifiers write: 4294967295 and its terminator.
constexpr size_t NUMBER_TEXT_SIZE = 11;

static bool apply_modifier(char* value, size_t size, const char* letter, ShellContext* ctx)
{
    uint32_t n = parse_decimal(letter + 1);
    size_t length = std::strlen(value);
    if (char_index("?dhs", *letter) != 0 && size < NUMBER_TEXT_SIZE)
        return false;
    switch (*letter) {
    case 'a':
        return quote_argument(value, size);
    case '/':
        to_forward_slashes(value);
        break;
    case '\\':
        to_backslashes(value);
        break;
    case '?':
        format_unsigned(value, static_cast<uint32_t>(length));
        break;
    case 'c':
        if (n <= length)
            drop_front(value, n);
        break;
    case 'd':
        format_unsigned(value, static_cast<unsigned char>(value[0]));
        break;
    case 'e':
        keep_extension(value);
        break;
    case 'f':
        *extension_of(value) = 0;
        break;
    case 'h':
        hex_of_number(value);
        break;
    case 'l':
        to_lower(value);
        break;
    case 'n':
        drop_front(value, static_cast<size_t>(file_part(value) - value));
        break;
    case 'p':
        out_str(value);
        break;
    case 'q':
        value[0] = 0;
        break;
    case 'r':
        *file_part(value) = 0;
        break;
    case 's':
        character_of_number(value);
        break;
    case 't':
        if (n < length)
            value[n] = 0;
        break;
    case 'u':
        to_upper(value);
        break;
    case 'w':
        return pick_word(value, size, n, ctx);
    default:
        break;
    }
    return true;
}

bool apply_modifiers(char* value, size_t size, const char* list, ShellContext* ctx)
{
    for (const char* letter = list; *letter != 0; ++letter)
        if (!apply_modifier(value, size, letter, ctx))
            return false;
    return true;
}
