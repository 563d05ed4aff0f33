#include <cstdlib>
#include <set>
#include <vector>

#include "precision_fixture.h"

namespace tallix::testing {
namespace {

using SimpleFunctionTest = PrecisionTest;

struct shown_case {
    const char* expression;
    std::function<lf()> compute;
    const char* expected;
};

void expect_shown(const std::vector<shown_case>& cases) {
    for (const shown_case& c : cases)
        EXPECT_EQ(shown(c.compute()), c.expected) << c.expression;
}

TEST_F(SimpleFunctionTest, SignAndMagnitude) {
    expect_shown({
        {"ABS(0)", [] { return ABS(num("0")); }, "0"},
        {"ABS(-2.5)", [] { return ABS(num("-2.5")); }, "2.5"},
        {"ABS(3)", [] { return ABS(num("3")); }, "3"},
        {"SGN(-0.001)", [] { return SGN(num("-0.001")); }, "-1"},
        {"SGN(0)", [] { return SGN(num("0")); }, "0"},
        {"SGN(1e-300)", [] { return SGN(num("1e-300")); }, "1"},
        {"MAX(2, 2)", [] { return MAX(num("2"), num("2")); }, "2"},
        {"MIN(2, 2)", [] { return MIN(num("2"), num("2")); }, "2"},
        {"MIN(-1, 1)", [] { return MIN(num("-1"), num("1")); }, "-1"},
        {"MAX(-1, 1)", [] { return MAX(num("-1"), num("1")); }, "1"},
        {"MAX(1, -1)", [] { return MAX(num("1"), num("-1")); }, "1"},
        {"MIN(1, -1)", [] { return MIN(num("1"), num("-1")); }, "-1"},
        {"DATE", [] { return DATE(); }, "-1"},
        {"TIME", [] { return TIME(); }, "-1"},
    });
}

TEST_F(SimpleFunctionTest, MaxnumHoldsTheDigitsItsLimbsAllow) {
    // Two limbs (6 to 8 digits) keep twelve digits of the double's text.
    const std::vector<std::pair<int, const char*>> cases = {{6, "8.6e298"},
                                                            {8, "8.6e298"},
                                                            {9, "8.6232e298"},
                                                            {15, "8.6232e298"},
                                                            {2000, "8.6232e298"}};
    for (const auto& [digits, difference] : cases) {
        set_precision(digits);
        EXPECT_EQ(shown(MAXNUM() - num("1.797693134e308")), difference) << digits << " digits";
    }
    set_precision(15);
    EXPECT_EQ(shown(MAXNUM()), "1.79769313486232e308");
    EXPECT_GT(MAXNUM() * num("10"), MAXNUM());
}

TEST_F(SimpleFunctionTest, EpsIsTheUnitOfTheLastKeptLimb) {
    const std::vector<std::tuple<int, const char*, const char*>> cases = {
        {15, "1", "1e-18"},     {15, "0.5", "1e-27"},       {15, "2e9", "1e-9"},
        {15, "-1", "1e-18"},    {15, "999999999", "1e-18"}, {6, "1", "1e-9"},
        {2000, "1", "1e-2007"}, {15, "1e-300", "1e-324"},
    };
    for (const auto& [digits, x, expected] : cases) {
        set_precision(digits);
        EXPECT_EQ(lf_compare(EPS(num(x)), num(expected)), 0) << "EPS(" << x << ") at " << digits;
    }
}

TEST_F(SimpleFunctionTest, SquareRootsOfSquaresAreExact) {
    for (int digits : {6, 15, 50, 2000}) {
        set_precision(digits);
        for (const char* root : {"1", "2", "3", "0.5", "12345", "1e-50", "1e60", "0.001"}) {
            lf r = num(root);
            EXPECT_EQ(lf_compare(SQR(r * r), r), 0) << "SQR(" << root << "^2) at " << digits;
        }
    }
    EXPECT_TRUE(SQR(num("0")).is_zero());
}

TEST_F(SimpleFunctionTest, RndRepeatsTheSameSequenceFromAFreshStart) {
    std::vector<std::string> first;
    for (int i = 0; i < 20; ++i)
        first.push_back(shown(RND()));
    reset_function_caches();
    std::srand(12345);  // other code drawing on the C library's generator
    for (int i = 0; i < 20; ++i) {
        (void)std::rand();
        EXPECT_EQ(shown(RND()), first[i]) << "call " << i;
    }
    EXPECT_NE(first[0], first[1]);
}

TEST_F(SimpleFunctionTest, RndIsAMultipleOfOne32768thInTheUnitInterval) {
    const lf steps = num("32768");
    std::set<std::string> seen;
    for (int digits : {6, 2000}) {
        set_precision(digits);
        for (int i = 0; i < 2000; ++i) {
            lf r = RND();
            EXPECT_GE(r, lf_zero);
            EXPECT_LT(r, lf_one);
            lf scaled = r * steps;
            EXPECT_TRUE(FP(scaled).is_zero()) << shown(r);
            seen.insert(shown(scaled));
        }
    }
    // A generator of 15 bits repeats little within 4000 draws.
    EXPECT_GT(seen.size(), 3500u);
}

TEST_F(SimpleFunctionTest, DomainErrorsCarryTheirOwnNumberAndText) {
    EXPECT_EQ(error_of([] { return EPS(num("0")); }), "10 eps(0)は評価できない");
    EXPECT_EQ(error_of([] { return SQR(num("-1")); }), "3005 sqr()の実引数が負");
    EXPECT_EQ(error_of([] { return SQR(num("-1e-300")); }), "3005 sqr()の実引数が負");
}

}  // namespace
}  // namespace tallix::testing
