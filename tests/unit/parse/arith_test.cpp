// Tests of integer expressions and the @ built-in.
#include "parse/arith.h"
#include "parse_fixture.h"

#include <climits>
#include <string>

TEST(EvalExpr, FollowsPrecedenceAndGroupsFromTheLeft)
{
    EXPECT_EQ(eval_expr("2+3*4"), 14);
    EXPECT_EQ(eval_expr("(2+3)*4"), 20);
    EXPECT_EQ(eval_expr("10-4-3"), 3);
    EXPECT_EQ(eval_expr("64/4/2"), 8);
    EXPECT_EQ(eval_expr("1|2==2"), 1);
    EXPECT_EQ(eval_expr("6&3|4"), 6); // one level: (6&3)|4
    EXPECT_EQ(eval_expr("1|2&3"), 3); // (1|2)&3
    EXPECT_EQ(eval_expr("5^1+1"), 7); // 5^(1+1)
    EXPECT_EQ(eval_expr("1+2>2"), 1); // (1+2)>2
    EXPECT_EQ(eval_expr("((7))"), 7);
}

TEST(EvalExpr, DividesTowardZero)
{
    EXPECT_EQ(eval_expr("7/2"), 3);
    EXPECT_EQ(eval_expr("7%2"), 1);
    EXPECT_EQ(eval_expr("0-7/2"), -3);
    EXPECT_EQ(eval_expr("(0-7)/2"), -3);
    EXPECT_EQ(eval_expr("(0-7)%2"), -1);
    EXPECT_EQ(eval_expr("7%(0-2)"), 1);
}

TEST(EvalExpr, ComparesSigned)
{
    EXPECT_EQ(eval_expr("3>=3"), 1);
    EXPECT_EQ(eval_expr("2<=3"), 1);
    EXPECT_EQ(eval_expr("3<=2"), 0);
    EXPECT_EQ(eval_expr("3!2"), 1);
    EXPECT_EQ(eval_expr("3!=2"), 1);
    EXPECT_EQ(eval_expr("3!=3"), 0);
    EXPECT_EQ(eval_expr("3=3"), 1);
    EXPECT_EQ(eval_expr("3==3"), 1);
    EXPECT_EQ(eval_expr("4294967295<0"), 1);
    EXPECT_EQ(eval_expr("3>2"), 1);
    EXPECT_EQ(eval_expr("3<2"), 0);
}

TEST(EvalExpr, WrapsAt32Bits)
{
    EXPECT_EQ(eval_expr("4294967295+1"), 0);
    EXPECT_EQ(eval_expr("4294967295"), -1);
    EXPECT_EQ(eval_expr("2147483647+1"), INT_MIN);
    EXPECT_EQ(eval_expr("65536*65536"), 0);
    EXPECT_EQ(eval_expr("0-2147483647-2"), INT_MAX);
}

TEST(EvalExpr, BlanksLettersAndEmptyText)
{
    EXPECT_EQ(eval_expr(""), 0);
    EXPECT_EQ(eval_expr(" \t "), 0);
    EXPECT_EQ(eval_expr(" 1 + 2 "), 3);
    EXPECT_EQ(eval_expr("x+1"), 1);
    EXPECT_EQ(eval_expr("\xE9+2"), 2);
    EXPECT_EQ(eval_expr("1 2"), 2);
    EXPECT_EQ(eval_expr("1 2 3 +"), 5);
}

TEST(EvalExpr, DivisionByZeroAndTheOverflowingQuotientHaveValues)
{
    EXPECT_EQ(eval_expr("5/0"), 0);
    EXPECT_EQ(eval_expr("5%0"), 0);
    EXPECT_EQ(eval_expr("2147483648/(0-1)"), INT_MIN);
    EXPECT_EQ(eval_expr("2147483648%(0-1)"), 0);
    EXPECT_EQ(eval_expr("7/(0-1)"), -7);
}

TEST(EvalExpr, MissingOperandsCountAsZero)
{
    EXPECT_EQ(eval_expr("-5"), -5);
    EXPECT_EQ(eval_expr("*5"), 0);
    EXPECT_EQ(eval_expr("+"), 0);
    EXPECT_EQ(eval_expr("()"), 0);
    EXPECT_EQ(eval_expr("(1+2"), 3);
    EXPECT_EQ(eval_expr("1+2)"), 3);
    EXPECT_EQ(eval_expr(")))"), 0);
    EXPECT_EQ(eval_expr("2*(3"), 6);
}

TEST(EvalExpr, UsesAtMost40PostfixEntries)
{
    std::string sum = "1";
    for (int i = 0; i < 19; ++i)
        sum += "+1";
    EXPECT_EQ(eval_expr(sum.c_str()), 20);               // 39 entries
    EXPECT_EQ(eval_expr(("9 " + sum).c_str()), 20);      // 40 entries
    EXPECT_EQ(eval_expr((sum + "+1").c_str()), 0);       // 41 entries: refused
    EXPECT_EQ(eval_expr(("(" + sum + ")").c_str()), 20); // parentheses take none
}

TEST(EvalExprWhole, SaysWhenTheExpressionDidNotFit)
{
    std::string sum = "1";
    for (int i = 2; i <= 20; ++i)
        sum += "+" + std::to_string(i);
    int32_t value = -1;
    EXPECT_TRUE(eval_expr_whole(sum.c_str(), &value)); // 39 entries
    EXPECT_EQ(value, 210);
    EXPECT_FALSE(eval_expr_whole((sum + "+21").c_str(), &value));
    EXPECT_EQ(value, 0);
}

TEST(EvalExpr, NumbersKeepTheir79FirstDigits)
{
    EXPECT_EQ(eval_expr((std::string(78, '0') + "7").c_str()), 7);
    EXPECT_EQ(eval_expr((std::string(79, '0') + "7+1").c_str()), 1);
    EXPECT_EQ(eval_expr((std::string(500, '9') + "*0+4").c_str()), 4);
}

TEST(EvalExpr, NestingBeyondTheStackIsRefused)
{
    std::string deep = std::string(80, '(') + "5" + std::string(80, ')');
    EXPECT_EQ(eval_expr(deep.c_str()), 5);
    std::string deeper = std::string(81, '(') + "5" + std::string(81, ')');
    EXPECT_EQ(eval_expr(deeper.c_str()), 0);
    EXPECT_EQ(eval_expr(std::string(5000, '(').c_str()), 0);
    EXPECT_EQ(eval_expr(std::string(5000, ')').c_str()), 0);
}

class BuiltinAt : public ParseTest
{
  protected:
    int32_t at(std::vector<std::string> args)
    {
        std::vector<char*> words;
        for (std::string& arg : args)
            words.push_back(arg.data());
        words.push_back(nullptr);
        return builtin_at(words.data(), &ctx);
    }
};

TEST_F(BuiltinAt, StoresUnsignedDecimal)
{
    set("x", nullptr);
    set("y", nullptr);
    set("z", nullptr);
    EXPECT_EQ(at({"x=7/2", "y=7%2", "z=0-7/2"}), 0);
    EXPECT_EQ(env("x"), "3");
    EXPECT_EQ(env("y"), "1");
    EXPECT_EQ(env("z"), "4294967293");
    EXPECT_EQ(eval_expr(env("z").c_str()), -3); // and reads back as the same value
}

TEST_F(BuiltinAt, EmptyExpressionIsZeroAndNoArgumentsSucceed)
{
    set("x", "9");
    EXPECT_EQ(at({"x="}), 0);
    EXPECT_EQ(env("x"), "0");
    EXPECT_EQ(at({}), 0);
    set("a b", nullptr);
    EXPECT_EQ(at({"{a b}=1+1"}), 0);
    EXPECT_EQ(env("a b"), "2");
}

TEST_F(BuiltinAt, StopsAtTheFirstNameWithoutEquals)
{
    set("a", nullptr);
    set("c", nullptr);
    EXPECT_EQ(at({"a=1", "x", "c=3"}), -1);
    EXPECT_EQ(env("a"), "1");
    EXPECT_EQ(env("c"), "");
    EXPECT_EQ(at({"x =3"}), -1);
    EXPECT_EQ(at({"=3"}), 0); // an empty name is refused by the environment, silently
}

TEST_F(BuiltinAt, RefusesAnExpressionTooLongAndAssignsNothing)
{
    set("s", "old");
    std::string sum = "s=1";
    for (int i = 2; i <= 21; ++i)
        sum += "+" + std::to_string(i);
    EXPECT_EQ(at({sum.c_str()}), -1);
    EXPECT_EQ(env("s"), "old");
}
