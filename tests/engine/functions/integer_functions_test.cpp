#include <vector>

#include "precision_fixture.h"

namespace tallix::testing {
namespace {

using IntegerFunctionTest = PrecisionTest;

struct unary_case {
    lf (*function)(const lf&);
    const char* name;
    const char* x;
    const char* expected;
};

struct binary_case {
    lf (*function)(const lf&, const lf&);
    const char* name;
    const char* x;
    const char* y;
    const char* expected;
};

// Results are compared exactly with the expected text read as a number.
void expect_exact(const std::vector<unary_case>& cases) {
    for (const unary_case& c : cases) {
        lf result = c.function(num(c.x));
        EXPECT_EQ(lf_compare(result, num(c.expected)), 0)
            << c.name << "(" << c.x << ") gave " << shown(result);
    }
}

void expect_exact(const std::vector<binary_case>& cases) {
    for (const binary_case& c : cases) {
        lf result = c.function(num(c.x), num(c.y));
        EXPECT_EQ(lf_compare(result, num(c.expected)), 0)
            << c.name << "(" << c.x << ", " << c.y << ") gave " << shown(result);
    }
}

TEST_F(IntegerFunctionTest, CutsTowardsTheirOwnDirection) {
    expect_exact({
        {INT, "INT", "-0.5", "-1"},
        {IP, "IP", "-0.5", "0"},
        {FP, "FP", "-0.5", "-0.5"},
        {CEIL, "CEIL", "-0.5", "0"},
        {CEIL, "CEIL", "0.5", "1"},
        {INT, "INT", "3", "3"},
        {INT, "INT", "-3", "-3"},
        {INT, "INT", "-1.5", "-2"},
        {IP, "IP", "-1.5", "-1"},
        {FP, "FP", "-1.25", "-0.25"},
        {INT, "INT", "0.5", "0"},
        {INT, "INT", "0", "0"},
        {IP, "IP", "0", "0"},
        {FP, "FP", "0", "0"},
        {CEIL, "CEIL", "-3", "-3"},
        {INT, "INT", "2.999999", "2"},
        {CEIL, "CEIL", "2.000001", "3"},
        {INT, "INT", "-1e-300", "-1"},
        {CEIL, "CEIL", "1e-300", "1"},
    });
}

TEST_F(IntegerFunctionTest, IntegersWithTrailingZeroLimbsAreUnchanged) {
    expect_exact({
        {INT, "INT", "1e9", "1e9"},
        {IP, "IP", "-2e18", "-2e18"},
        {FP, "FP", "1e18", "0"},
        {CEIL, "CEIL", "-5e27", "-5e27"},
        {INT, "INT", "-1000000000.5", "-1000000001"},
        {IP, "IP", "3000000000000000000.25", "3000000000000000000"},
    });
}

TEST_F(IntegerFunctionTest, TruncationIsExactBeyondTheCurrentPrecision) {
    // A value made at 2000 digits keeps its limbs; IP and FP cut it exactly
    // instead of rounding it to the 3 limbs of 15 digits.
    set_precision(2000);
    lf x = num("123456789012345678901234567890") + num("1") / num("7");
    lf ip_expected = num("123456789012345678901234567890");
    set_precision(15);
    lf ip = IP(x);
    EXPECT_EQ(lf_compare(ip, ip_expected), 0) << shown(ip);
    EXPECT_EQ(lf_compare(INT(-x), -ip_expected - lf_one), 0);
    EXPECT_EQ(ip.size(), ip_expected.size());
}

TEST_F(IntegerFunctionTest, RemaindersFollowTheSignOfTheirRule) {
    expect_exact({
        {MOD, "MOD", "7", "3", "1"},
        {MOD, "MOD", "-7", "3", "2"},
        {MOD, "MOD", "7", "-3", "-2"},
        {MOD, "MOD", "-7", "-3", "-1"},
        {MOD, "MOD", "5.5", "2", "1.5"},
        {MOD, "MOD", "6", "3", "0"},
        {REMAINDER, "REMAINDER", "7", "3", "1"},
        {REMAINDER, "REMAINDER", "-7", "3", "-1"},
        {REMAINDER, "REMAINDER", "7", "-3", "1"},
        {REMAINDER, "REMAINDER", "-7", "-3", "-1"},
        {REMAINDER, "REMAINDER", "-5.5", "2", "-1.5"},
    });
}

TEST_F(IntegerFunctionTest, ModOfARoundedUpQuotientIsTinyAndOfTheOppositeSign) {
    // 0.5 / (1/6) rounds up to exactly 3 at 15 digits.
    lf result = MOD(num("0.5"), num("1") / num("6"));
    EXPECT_EQ(shown(result), "-1.0e-27");
    EXPECT_TRUE(result.is_negative());
}

TEST_F(IntegerFunctionTest, RoundingGoesHalfUpAndTruncationTowardsZero) {
    expect_exact({
        {ROUND, "ROUND", "2.5", "0", "3"},
        {ROUND, "ROUND", "-2.5", "0", "-2"},
        {ROUND, "ROUND", "-2.51", "0", "-3"},
        {ROUND, "ROUND", "567.89", "-2", "600"},
        {ROUND, "ROUND", "123.456", "1.5", "123.46"},
        {ROUND, "ROUND", "123.456", "-0.5", "123"},
        {ROUND, "ROUND", "123.456", "2.5", "123.456"},
        {ROUND, "ROUND", "123.456", "-2.5", "100"},
        {ROUND, "ROUND", "0.000123456", "6", "0.000123"},
        {TRUNCATE, "TRUNCATE", "2.57", "1", "2.5"},
        {TRUNCATE, "TRUNCATE", "-2.57", "1", "-2.5"},
        {TRUNCATE, "TRUNCATE", "123.456", "-1", "120"},
        {TRUNCATE, "TRUNCATE", "-123.456", "-1.5", "-120"},
    });
}

TEST_F(IntegerFunctionTest, RoundingToFarPlacesEndsQuickly) {
    // A scale far beyond the exponent range overflows at once; one far below
    // the digits held leaves the value as it is.
    EXPECT_EQ(error_of([] { return ROUND(num("1.5"), num("1e15")); }),
              error_text_of(errors::overflow));
    EXPECT_EQ(error_of([] { return TRUNCATE(num("1.5"), num("-1e15")); }),
              error_text_of(errors::overflow));
    EXPECT_EQ(lf_compare(ROUND(num("1.5"), num("100")), num("1.5")), 0);
}

TEST_F(IntegerFunctionTest, ZeroDivisorsNameTheirFunction) {
    EXPECT_EQ(error_of([] { return MOD(num("1"), num("0")); }), "3006 mod()の除数が0");
    EXPECT_EQ(error_of([] { return REMAINDER(num("1"), num("0")); }), "3006 remainder()の除数が0");
    EXPECT_EQ(error_of([] { return MOD(num("0"), num("0")); }), "3006 mod()の除数が0");
}

}  // namespace
}  // namespace tallix::testing
