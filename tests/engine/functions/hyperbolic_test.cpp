#include "angle_reference.h"
#include "precision_fixture.h"

namespace tallix::testing {
namespace {

using HyperbolicTest = PrecisionTest;

TEST_F(HyperbolicTest, ExactAtZeroAndSymmetric) {
    EXPECT_TRUE(SINH(num("0")).is_zero());
    EXPECT_EQ(lf_compare(COSH(num("0")), lf_one), 0);
    EXPECT_TRUE(TANH(num("0")).is_zero());
    for (int digits : {15, 50}) {
        set_precision(digits);
        for (const char* x : {"0.5", "0.999", "1", "2.5", "30"}) {
            // The series treats both signs alike; the exponential form need not.
            if (num(x) < lf_one) {
                EXPECT_EQ(lf_compare(SINH(-num(x)), -SINH(num(x))), 0) << x;
            }
            EXPECT_EQ(shown(COSH(-num(x))), shown(COSH(num(x)))) << x << " at " << digits;
        }
    }
}

TEST_F(HyperbolicTest, TangentApproachesOne) {
    EXPECT_EQ(shown(TANH(num("20"))), "1");
    EXPECT_EQ(shown(TANH(num("-50"))), "-1");
}

void add_every_function(std::vector<truth_case>& cases, const char* x) {
    std::string a = x;
    cases.push_back({"sinh(" + a + ")", [x] { return SINH(num(x)); }});
    cases.push_back({"cosh(" + a + ")", [x] { return COSH(num(x)); }});
    cases.push_back({"tanh(" + a + ")", [x] { return TANH(num(x)); }});
}

TEST_F(HyperbolicTest, AgreesWithTrueValues) {
    std::vector<truth_case> cases;
    // Both sides of the switch from the series to the exponential form at 1.
    for (const char* x : {"0.5", "-0.999", "0.9999999", "1", "-1", "1.0000001", "0.4142"})
        add_every_function(cases, x);
    for (const char* x : {"1e-30", "-2.5e-7"}) {
        std::string a = x;
        cases.push_back({"sinh(" + a + ")", [x] { return SINH(num(x)); }});
        cases.push_back({"cosh(" + a + ")", [x] { return COSH(num(x)); }});
    }
    expect_true_to({15, 50, 2000}, cases);
}

// e^x is formed as 2^k times e^r with k = x / ln 2 rounded, and ln 2 holds
// 2,000 decimals: at 2,000 digits the k ln 2 taken off the argument costs
// about log10(k) digits.
TEST_F(HyperbolicTest, LargerArgumentsAgreeWithTrueValues) {
    std::vector<truth_case> cases;
    for (const char* x : {"-2.5", "50", "-50", "700.25"})
        add_every_function(cases, x);
    expect_true_to({15, 50}, cases);
    expect_true_to({2000}, cases, 1.0, 1997);
}

// tanh is (e^2x - 1) / (e^2x + 1): near zero the difference keeps only the
// digits e^2x holds beyond 1, an absolute rather than a relative accuracy.
TEST_F(HyperbolicTest, TangentNearZeroIsAccurateOnTheScaleOfOne) {
    std::vector<truth_case> cases;
    for (const char* x : {"1e-30", "-2.5e-7", "3e-12"}) {
        cases.push_back({std::string("1+tanh(") + x + ")", [x] { return lf_one + TANH(num(x)); }});
    }
    expect_true_to({15, 50, 2000}, cases);
}

}  // namespace
}  // namespace tallix::testing
