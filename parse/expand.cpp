// expand.cpp: parameter expansion: the value of a name and the operators #, %, -, +, = and :.
#include "parse/expand.h"

#include "parse/char_class.h"
#include "parse/read_word.h"
#include "parse/strings.h"
#include "parse/variables.h"

#include <cstring>

// A modifier list keeps at most 127 bytes; the rest of a longer one is ignored.
constexpr size_t MODIFIER_LIST_SIZE = 128;

// True when pos starts a character of text, not the second half of a double-byte one.
static bool at_char_start(const char* text, const char* pos)
{
    while (text < pos)
        text += char_width(text);
    return text == pos;
}

static void remove_prefix(char* value, const char* prefix)
{
    size_t length = std::strlen(prefix);
    if (length != 0 && prefix_of(prefix, value) == 0 && at_char_start(value, value + length))
        copy_end(value, value + length);
}

static void remove_suffix(char* value, const char* suffix)
{
    size_t value_length = std::strlen(value);
    size_t suffix_length = std::strlen(suffix);
    if (suffix_length > value_length)
        return;
    char* start = value + value_length - suffix_length;
    if (prefix_of(suffix, start) == 0 && at_char_start(value, start))
        *start = 0;
}

static void apply_operator(char op, const char* base, char* argument, char* value,
                           ShellContext* ctx)
{
    switch (op) {
    case '#':
        remove_prefix(value, argument);
        break;
    case '%':
        remove_suffix(value, argument);
        break;
    case '-':
        if (value[0] == 0)
            copy_bounded(value, argument, EXPANSION_SIZE);
        break;
    case '+':
        if (value[0] != 0)
            copy_bounded(value, argument, EXPANSION_SIZE);
        break;
    case '=':
        if (value[0] == 0) {
            copy_bounded(value, argument, EXPANSION_SIZE);
            sys_set_env(base, argument);
        }
        break;
    default:
        argument[MODIFIER_LIST_SIZE - 1] = 0;
        apply_modifiers(value, argument, ctx);
        break;
    }
}

void expand_parameter(const char* name_text, ShellContext* ctx, char* out)
{
    char name[EXPANSION_SIZE];
    copy_bounded(name, name_text, sizeof name);
    char* op = name;
    while (*op != 0 && char_index("#%-=+:", *op) == 0)
        ++op;
    char op_byte = *op;
    *op = 0;
    if (special_value(name, ctx, out) < 0)
        out[0] = 0;
    if (op_byte == 0)
        return;
    // The argument is read even when the operator will not use it: its expansions and
    // backquoted commands take effect every time.
    char argument[EXPANSION_SIZE];
    read_word(argument, sizeof argument, op + 1, ctx);
    apply_operator(op_byte, name, argument, out, ctx);
}
