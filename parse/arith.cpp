// arith.cpp: integer expressions (shunting-yard to postfix, then a value stack) and `@`.
#include "parse/arith.h"

#include "console/output.h"
#include "parse/char_class.h"
#include "parse/read_word.h"
#include "parse/strings.h"

// Operators by their 1-based position; 0x01 and 0x02 stand for ">=" and "<=".
constexpr char EXPR_OPERATORS[] = "()&|^><=\x01\x02!+-%*/";
constexpr int OP_OPEN = 1;
constexpr int OP_CLOSE = 2;
constexpr int OP_GREATER = 6;
constexpr int OP_LESS = 7;
constexpr int OP_GREATER_EQUAL = 9;
constexpr int OP_LESS_EQUAL = 10;
// Precedence by position; position 0 is the bottom marker, and '(' waits on the stack at 0 so
// that nothing below it is popped before it is closed.
constexpr int EXPR_PRECEDENCE[] = {0, 0, 6, 10, 10, 10, 20, 20, 20, 20, 20, 20, 30, 30, 40, 40, 40};

constexpr int POSTFIX_SIZE = 40;
constexpr int TOKEN_SIZE = 80;
constexpr int STACK_SIZE = 81; // the bottom marker and 80 pending operators

struct PostfixEntry {
    bool is_operator;
    int32_t value; // a number, or an operator's position
};

// Working storage of one evaluation. The stack holds operator positions while the text is
// converted and values while the postfix list runs. An expression that does not fit sets
// `overflow`, and its value is 0.
struct Expression {
    PostfixEntry list[POSTFIX_SIZE];
    int count;
    int32_t stack[STACK_SIZE];
    int depth;
    bool overflow;
};

static void add_entry(Expression* e, bool is_operator, int32_t value)
{
    if (e->count == POSTFIX_SIZE)
        e->overflow = true;
    else
        e->list[e->count++] = {is_operator, value};
}

static void push_operator(Expression* e, int op)
{
    if (e->depth == STACK_SIZE)
        e->overflow = true;
    else
        e->stack[e->depth++] = op;
}

// Pops every waiting operator that binds at least as tightly (equal levels group from the
// left); then a ')' drops its '(' (if there is one) and any other operator waits.
static void take_operator(Expression* e, int op)
{
    if (op == OP_OPEN) {
        push_operator(e, op);
        return;
    }
    while (EXPR_PRECEDENCE[e->stack[e->depth - 1]] >= EXPR_PRECEDENCE[op])
        add_entry(e, true, e->stack[--e->depth]);
    if (op != OP_CLOSE)
        push_operator(e, op);
    else if (e->stack[e->depth - 1] == OP_OPEN)
        --e->depth;
}

// Reads one token into token (numbers up to 79 digits; further digits are consumed and
// ignored) and sets *op to the operator's position, or 0 for an operand.
static const char* expr_token(const char* p, char* token, int* op)
{
    int length = 0;
    *op = 0;
    if (has_class(*p, CC_DIGIT)) {
        for (; has_class(*p, CC_DIGIT); ++p)
            if (length < TOKEN_SIZE - 1)
                token[length++] = *p;
        token[length] = 0;
        return p;
    }
    // Any other character is one token: an operator, or an operand worth 0.
    token[0] = 0;
    if (char_width(p) == 2)
        return p + 2;
    *op = char_index(EXPR_OPERATORS, *p);
    if ((*op == OP_GREATER || *op == OP_LESS) && p[1] == '=') {
        *op = *op == OP_GREATER ? OP_GREATER_EQUAL : OP_LESS_EQUAL;
        return p + 2;
    }
    if ((*p == '!' || *p == '=') && p[1] == '=')
        return p + 2;
    return p + 1;
}

static void convert_to_postfix(Expression* e, const char* text)
{
    char token[TOKEN_SIZE];
    e->count = 0;
    e->stack[0] = 0;
    e->depth = 1;
    e->overflow = false;
    for (const char* p = skip_blanks(text); *p != 0 && !e->overflow; p = skip_blanks(p)) {
        int op;
        p = expr_token(p, token, &op);
        if (op != 0)
            take_operator(e, op);
        else
            add_entry(e, false, static_cast<int32_t>(parse_decimal(token)));
    }
    // An unclosed '(' takes no entry.
    while (e->depth > 1)
        if (int op = e->stack[--e->depth]; op != OP_OPEN)
            add_entry(e, true, op);
}

// Quotients truncate toward zero. Division by zero gives 0, and the one quotient that does
// not fit, the most negative value by -1, wraps to itself (its remainder is 0).
static int32_t divide(int32_t a, int32_t b, bool remainder)
{
    if (b == 0)
        return 0;
    if (b == -1)
        return remainder ? 0 : static_cast<int32_t>(0u - static_cast<uint32_t>(a));
    return remainder ? a % b : a / b;
}

// Sums, differences and products wrap modulo 2^32; comparisons are signed.
static int32_t apply_operator(int op, int32_t a, int32_t b)
{
    uint32_t ua = static_cast<uint32_t>(a);
    uint32_t ub = static_cast<uint32_t>(b);
    switch (EXPR_OPERATORS[op - 1]) {
    case '&':
        return a & b;
    case '|':
        return a | b;
    case '^':
        return a ^ b;
    case '>':
        return a > b;
    case '<':
        return a < b;
    case '=':
        return a == b;
    case '\x01':
        return a >= b;
    case '\x02':
        return a <= b;
    case '!':
        return a != b;
    case '+':
        return static_cast<int32_t>(ua + ub);
    case '-':
        return static_cast<int32_t>(ua - ub);
    case '*':
        return static_cast<int32_t>(ua * ub);
    case '%':
        return divide(a, b, true);
    default:
        return divide(a, b, false);
    }
}

// Runs the postfix list; a missing operand counts as 0, so a leading '-' negates.
static int32_t run_postfix(Expression* e)
{
    int depth = 0;
    for (int i = 0; i < e->count; ++i) {
        if (!e->list[i].is_operator) {
            e->stack[depth++] = e->list[i].value;
            continue;
        }
        int32_t right = depth > 0 ? e->stack[--depth] : 0;
        int32_t left = depth > 0 ? e->stack[--depth] : 0;
        e->stack[depth++] = apply_operator(e->list[i].value, left, right);
    }
    return depth > 0 ? e->stack[depth - 1] : 0;
}

bool eval_expr_whole(const char* text, int32_t* value)
{
    Expression e;
    convert_to_postfix(&e, text);
    *value = e.overflow ? 0 : run_postfix(&e);
    return !e.overflow;
}

int32_t eval_expr(const char* text)
{
    int32_t value;
    eval_expr_whole(text, &value);
    return value;
}

int32_t builtin_at(char** words, ShellContext*)
{
    for (; *words != nullptr; ++words) {
        char name[NAME_SIZE];
        const char* rest = scan_name(name, *words);
        if (*rest != '=')
            return -1;
        int32_t value;
        // A value cut short by the evaluator's stacks would pass for the right one.
        if (!eval_expr_whole(rest + 1, &value)) {
            out_error("@", ":expression too long");
            return -1;
        }
        char number[12];
        format_unsigned(number, static_cast<uint32_t>(value));
        sys_set_env(name, number);
    }
    return 0;
}
