#include <gtest/gtest.h>

#include <string>

#include "engine/language/name_table.h"
#include "line_fixture.h"

namespace tallix {
namespace {

struct Case {
    std::string_view line;
    std::string expected;
};

class GrammarTest : public LineTest {
  protected:
    void expect_outputs(std::initializer_list<Case> cases) {
        for (const Case& c : cases)
            EXPECT_EQ(eval(c.line), c.expected) << "«" << c.line << "»";
    }
};

TEST_F(GrammarTest, PrecedenceAndAssociativity) {
    expect_outputs({
        {"1+2*3", "7"},
        {"(1+2)*3", "9"},
        {"2^3^2", "512"},
        {"(2^3)^2", "64"},
        {"7-2-1", "4"},
        {"64/4/2", "8"},
        {"2*3^2", "18"},
        {"1+2^2*3-4/2", "11"},
        {"(((1)))", "1"},
        {"1/3", "0.333333333333333"},
        {"2/3", "0.666666666666667"},
        {"1'000*1'000*1'000", "1'000'000'000"},
    });
}

TEST_F(GrammarTest, SignsBindOnlyWhereTheyMayStand) {
    expect_outputs({
        {"-2^2", "-4"},        {"-2*3", "-6"},          {"+2^2", "4"},
        {"2*-3", "-6"},        {"2*+3", "6"},           {"2^-1", "0.5"},
        {"2--3", "5"},         {"2+-3", "-1"},          {"2-+3", "-1"},
        {"2*-3^2", "-18"},     {"6/-3", "-2"},          {"-(2-5)", "3"},
        {"(-2)^2", "4"},       {"max(-1, -2)", "-1"},   {"--2", SYNTAX_ERROR},
        {"+-2", SYNTAX_ERROR}, {"2---3", SYNTAX_ERROR}, {"2*--3", SYNTAX_ERROR},
        {"2^", SYNTAX_ERROR},
    });
    // A sign after "^" applies to the whole right-hand power.
    EXPECT_EQ(eval("2^-3^2"), eval("1/2^9"));
}

TEST_F(GrammarTest, NoOperatorIsImplied) {
    expect_outputs({
        {"2(3)", SYNTAX_ERROR},
        {"2 3", SYNTAX_ERROR},
        {"(1)(2)", SYNTAX_ERROR},
        {"1 < 2", SYNTAX_ERROR},
        {"3!", SYNTAX_ERROR},
        {"1; 2", SYNTAX_ERROR},
        {"()", SYNTAX_ERROR},
        {"(1", SYNTAX_ERROR},
        {"1)", SYNTAX_ERROR},
    });
    eval("x = 1");
    EXPECT_EQ(eval("2x"), SYNTAX_ERROR);
}

TEST_F(GrammarTest, CallsAndArgumentCounts) {
    expect_outputs({
        {"pi", eval("PI")},
        {"Pi*2", eval("2*pi")},
        {"pi()", SYNTAX_ERROR},
        {"date", "-1"},
        {"TIME", "-1"},
        {"date(1)", ARGUMENT_COUNT},
        {"sin", ARGUMENT_COUNT},
        {"sin(1, 2)", ARGUMENT_COUNT},
        {"max(1)", ARGUMENT_COUNT},
        {"max(1, 2)", "2"},
        {"min(3, 1+1)", "2"},
        {"max(1, 2, 3)", SYNTAX_ERROR},
        {"max(,1)", SYNTAX_ERROR},
        {"sqr(4)", "2"},
        {"abs(-2.5)", "2.5"},
        {"sqr(sqr(16))", "2"},
        {"-abs(-3)^2", "-9"},
        {"sqr(-1)", "ERR3005: sqr()の実引数が負"},
        {"1/(2-2)", DIVISION_BY_ZERO},
        {"max(1, 1/0)", DIVISION_BY_ZERO},
    });
}

TEST_F(GrammarTest, ArgumentCountIsCheckedBeforeTheArgumentIsUsed) {
    // The check belongs to the call, so a bad argument of a wrongly called
    // function still reports the count.
    EXPECT_EQ(eval("date(1/1)"), ARGUMENT_COUNT);
    EXPECT_EQ(eval("max(2)"), ARGUMENT_COUNT);
    // ...but arguments are reduced first, so their own errors come sooner.
    EXPECT_EQ(eval("date(1/0)"), DIVISION_BY_ZERO);
}

TEST_F(GrammarTest, OutcomesOfDefaultReductions) {
    eval_all({"a = 1", "b = 2"});
    expect_outputs({
        {"sin x", ARGUMENT_COUNT},
        {"x 5", UNSET_VARIABLE},
        {"1 2", SYNTAX_ERROR},
        {"1 = 2", SYNTAX_ERROR},
        {"a = b = 3", SYNTAX_ERROR},
        {"a", "2"},
        {"x = 5 あ", SYNTAX_ERROR},
        {"x", "5"},
        {"pi = 3", ASSIGN_TO_FUNCTION},
        {"pi = 1/0", DIVISION_BY_ZERO},
        {"y = 1 2", SYNTAX_ERROR},
        {"y", "1"},
    });
}

TEST_F(GrammarTest, AssignmentsAndVariables) {
    expect_outputs({
        {"a = 5", ""},
        {"a", "5"},
        {"x = 2", ""},
        {"x^10", "1'024"},
        {"Rate = 3", ""},
        {"RATE*2", "6"},
        {"X = 1", ""},
        {"x = 2", ""},
        {"X", "2"},
        {"sqr = 4", ASSIGN_TO_FUNCTION},
        {"SQR(4)", "2"},
        {"c = a", ""},
        {"a = 7", ""},
        {"c", "5"},  // a copy, not a reference
        {"a = a + 1", ""},
        {"a", "8"},
        {"a = -a", ""},
        {"a", "-8"},
        {"d = (a = 1)", SYNTAX_ERROR},
        {"1 + (a = 1)", SYNTAX_ERROR},
    });
    EXPECT_EQ(lookup("x")->name, "x");
    EXPECT_EQ(lookup("rate")->name, "Rate");
}

TEST_F(GrammarTest, FailedAssignmentsCreateNothing) {
    expect_outputs({
        {"y", UNSET_VARIABLE},
        {"v = 1/0", DIVISION_BY_ZERO},
        {"v", UNSET_VARIABLE},
        {"z = z + 1", UNSET_VARIABLE},
        {"w = sin", ARGUMENT_COUNT},
    });
    for (const char* name : {"y", "v", "z", "w"})
        EXPECT_EQ(lookup(name), nullptr) << name;
}

TEST_F(GrammarTest, ExistingVariableKeepsItsValueWhenTheRightSideFails) {
    EXPECT_EQ(eval_all({"k = 4", "k = sqr(-1)", "k"}), "4");
}

TEST_F(GrammarTest, CommentsAndBlankLinesPrintNothing) {
    expect_outputs({
        {"", ""},
        {"   \t ", ""},
        {"# note", ""},
        {"#", ""},
        {"  # 日本語のメモ", ""},
        {"1+1 # two", "2"},
        {"a = 3 # three", ""},
        {"a#", "3"},
        {"\r", ""},
    });
}

TEST_F(GrammarTest, BytesFrom128UpEndTheLine) {
    expect_outputs({
        {"あ", SYNTAX_ERROR},
        {"1あ", SYNTAX_ERROR},
        {"1 + あ", SYNTAX_ERROR},
        {"sin(1)あ", SYNTAX_ERROR},
        {"x = 1 あ", SYNTAX_ERROR},
        {"x", "1"},
        {"1\x80", SYNTAX_ERROR},
        {"1 # あいう", "1"},
    });
}

TEST_F(GrammarTest, ANulEndsTheLineEarly) {
    using namespace std::string_view_literals;
    EXPECT_EQ(eval("1\0 + 2"sv), SYNTAX_ERROR);
}

}  // namespace
}  // namespace tallix
