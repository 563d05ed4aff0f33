#include <vector>

#include "precision_fixture.h"

namespace tallix::testing {
namespace {

using PowerTest = PrecisionTest;

struct power_case {
    const char* x;
    const char* y;
    const char* expected;  // as shown, or an error as "code message"
};

std::string outcome(const power_case& c) {
    std::string error = error_of([&] { return lf_pow(num(c.x), num(c.y)); });
    return error == "none" ? shown(lf_pow(num(c.x), num(c.y))) : error;
}

void expect_outcomes(const std::vector<power_case>& cases) {
    for (const power_case& c : cases) {
        EXPECT_EQ(outcome(c), c.expected) << c.x << " ^ " << c.y;
    }
}

TEST_F(PowerTest, PowersAtFifteenDigits) {
    expect_outcomes({
        {"2", "10", "1'024"},
        {"2", "-1", "0.5"},
        {"10", "-2", "0.01"},
        {"-8", "3", "-512"},
        {"3", "0", "1"},
        {"-3", "0", "1"},
        {"2", "0.5", "1.4142135623731"},
        {"1.5", "2.5", "2.75567596063108"},
        {"0", "3", "0"},
        {"0", "0.5", "0"},
        {"-2", "-2", "0.25"},
        {"-2", "3", "-8"},
    });
}

TEST_F(PowerTest, DomainErrors) {
    expect_outcomes({
        {"0", "0", "3003 0の非整数乗"},
        {"0", "-1", "3003 0の非整数乗"},
        {"0", "-0.5", "3003 0の非整数乗"},
        {"-2", "0.5", "3002 負数の非整数乗"},
        {"-1", "1e-20", "3002 負数の非整数乗"},
    });
}

TEST_F(PowerTest, FixedPointsOfSquaringAnswerAtOnce) {
    // Exponents far too big to loop over bit by bit.
    const char* huge = "1e2000000000";
    expect_outcomes({
        {"1", huge, "1"},
        {"-1", huge, "1"},
        {"0", huge, "0"},
        {"1", "-1e2000000000", "1"},
        {"-1", "-1e2000000000", "1"},
        {"-1", "-7", "-1"},
        {"-1", "3000000000000000001", "-1"},
        {"-1", "-3000000000000000001", "-1"},
        {"-1", "3000000000000000002", "1"},
    });
}

TEST_F(PowerTest, MinusOneTakesTheTrueParityOfAnExponentBeyondThePrecision) {
    // 2e36 + 3e18 is even; halving it at 3 limbs rounds, which would make it
    // look odd to a bit-by-bit loop.
    lf even = num("2e36") + num("3e18");
    lf odd = num("1e18") + lf_one;
    EXPECT_EQ(shown(int_pow(num("-1"), even)), "1");
    EXPECT_EQ(shown(int_pow(num("-1"), odd)), "-1");
    EXPECT_EQ(shown(int_pow(num("-1"), -odd)), "-1");
}

TEST_F(PowerTest, BasesThatSquareToOneAnswerAtOnce) {
    // Made at 50 digits, these round to 1 when squared at 15.
    set_precision(50);
    lf below = num("1") - num("1e-40");
    lf above = num("1") + num("1e-40");
    lf minus = num("-1") + num("1e-40");
    set_precision(15);
    const lf huge = num("1e2000000000");
    EXPECT_EQ(shown(int_pow(below, huge)), "1");
    EXPECT_EQ(shown(int_pow(above, -huge)), "1");
    EXPECT_EQ(shown(int_pow(minus, huge)), "1");
    EXPECT_EQ(shown(int_pow(minus, num("3"))), "-1");
}

TEST_F(PowerTest, ZeroToANegativeIntegerDividesByZero) {
    EXPECT_EQ(error_of([] { return int_pow(num("0"), num("-2")); }),
              error_text_of(errors::division_by_zero));
}

TEST_F(PowerTest, HugePowersOverflowInsteadOfRunningOn) {
    const std::string text = error_text_of(errors::overflow);
    const char* overflow = text.c_str();
    expect_outcomes({
        {"2", "1e15", overflow},
        {"0.5", "1e15", overflow},
        {"-3", "1e15", overflow},
        {"10", "1e2000000000", overflow},
        {"1.000000000000000001", "1e2000000000", overflow},
        {"0.999999999999999999", "1e2000000000", overflow},
        {"2", "-1e15", overflow},
    });
}

}  // namespace
}  // namespace tallix::testing
