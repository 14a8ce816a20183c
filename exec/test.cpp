// test.cpp: the test built-in, also known as [: one condition on strings, numbers or files.
//
// Every form reads a fixed number of words and ignores the rest, so the "]" that closes a
// `[` command is never looked for; it is just one of the ignored words.
#include "exec/test.h"

#include "console/output.h"
#include "parse/arith.h"

#include <cstring>

int32_t get_attributes(const char* path)
{
    uint32_t attributes = sys_get_attributes(path);
    if (attributes == ATTR_INVALID || attributes == 0)
        return -1;
    return static_cast<int32_t>(attributes);
}

static int32_t status_of(bool condition) { return condition ? 0 : 1; }

// Returned, after its error line, for a path the system refuses as too long: such a path may
// well exist, so the answer is neither true nor the plain false of a missing one.
constexpr int32_t TEST_PATH_TOO_LONG = 2;

// The path exists and every bit of `set` is set and every bit of `clear` is clear.
static int32_t test_file(const char* path, uint32_t set, uint32_t clear)
{
    int32_t attributes = get_attributes(path);
    if (attributes == -1 && sys_path_too_long()) {
        out_error(path, ":path too long");
        return TEST_PATH_TOO_LONG;
    }
    if (attributes == -1)
        return 1;
    uint32_t bits = static_cast<uint32_t>(attributes);
    return status_of((bits & set) == set && (bits & clear) == 0);
}

// Only the operator's second byte counts, so `-fx` is `-f`; unknown letters are true.
static int32_t test_unary(char letter, const char* operand)
{
    switch (letter) {
    case 'r':
        return test_file(operand, 0, 0);
    case 'w':
        return test_file(operand, 0, ATTR_READONLY);
    case 'd':
        return test_file(operand, ATTR_DIRECTORY, 0);
    case 'f':
        return test_file(operand, ATTR_ARCHIVE, 0);
    case 'n':
        return status_of(operand[0] != 0);
    case 'z':
        return static_cast<unsigned char>(operand[0]); // false shows the first byte
    default:
        return 0;
    }
}

// Returned by test_numbers for an operator word that is not a numeric comparison.
constexpr int32_t NOT_NUMERIC = -2;

// The numeric comparisons, by operator word; -1 for an expression too long to evaluate.
static int32_t test_numbers(const char* left, const char* op, const char* right)
{
    static constexpr const char* operators[] = {"-eq", "-ne", "-lt", "-le", "-gt", "-ge"};
    int which = 0;
    while (which < 6 && std::strcmp(op, operators[which]) != 0)
        ++which;
    if (which == 6)
        return NOT_NUMERIC;
    int32_t a, b;
    if (!eval_expr_whole(left, &a) || !eval_expr_whole(right, &b)) {
        out_error("test", ":expression too long");
        return -1;
    }
    bool holds[] = {a == b, a != b, a<b, a <= b, a> b, a >= b};
    return status_of(holds[which]);
}

static int32_t test_binary(const char* left, const char* op, const char* right)
{
    if (std::strcmp(op, "=") == 0)
        return status_of(std::strcmp(left, right) == 0);
    if (std::strcmp(op, "!=") == 0)
        return status_of(std::strcmp(left, right) != 0);
    int32_t result = test_numbers(left, op, right);
    return result != NOT_NUMERIC ? result : status_of(left[0] != 0);
}

int32_t builtin_test(char** words, ShellContext*)
{
    if (!words[0])
        return 1;
    if (!words[1])
        return status_of(words[0][0] != 0);
    if (words[0][0] == '-')
        return test_unary(words[0][1], words[1]);
    if (!words[2])
        return status_of(words[0][0] != 0);
    return test_binary(words[0], words[1], words[2]);
}
