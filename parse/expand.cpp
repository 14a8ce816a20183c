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

// Replaces value by the argument, which stands after it in the same buffer.
static void take_argument(char* value, const char* argument) { copy_end(value, argument); }

// The operator on value, with its argument behind value's terminator in the same buffer;
// false when the result does not fit.
static bool apply_operator(char op, const char* base, const char* argument, char* value,
                           size_t size, ShellContext* ctx)
{
    switch (op) {
    case '#':
        remove_prefix(value, argument);
        return true;
    case '%':
        remove_suffix(value, argument);
        return true;
    case '-':
        if (value[0] == 0)
            take_argument(value, argument);
        return true;
    case '+':
        if (value[0] != 0)
            take_argument(value, argument);
        return true;
    case '=':
        if (value[0] == 0) {
            sys_set_env(base, argument);
            take_argument(value, argument);
        }
        return true;
    default: {
        char list[MODIFIER_LIST_SIZE];
        copy_bounded(list, argument, sizeof list);
        return apply_modifiers(value, size, list, ctx);
    }
    }
}

// The value is made in place: an expansion as long as the buffer has room for stays whole,
// and no value needs a buffer of its own on the stack.
bool expand_parameter(const char* name_text, ShellContext* ctx, char* out, size_t out_size)
{
    char name[NAME_SIZE];
    copy_bounded(name, name_text, sizeof name);
    char* op = name;
    while (*op != 0 && char_index("#%-=+:", *op) == 0)
        ++op;
    char op_byte = *op;
    *op = 0;
    if (special_value(name, ctx, out, out_size) == VALUE_TOO_LONG)
        return false;
    if (op_byte == 0)
        return true;
    // The argument is read even when the operator will not use it: its expansions and
    // backquoted commands take effect every time.
    size_t length = std::strlen(out);
    char* argument = out + length + 1;
    if (length + 2 > out_size)
        return false;
    read_word(argument, out_size - length - 1, op + 1, ctx);
    if (!ctx->word_cut && apply_operator(op_byte, name, argument, out, out_size, ctx))
        return true;
    out[0] = 0;
    return false;
}
