#include <vector>

#include "precision_fixture.h"

namespace tallix::testing {
namespace {

using ExponentialLogTest = PrecisionTest;

struct shown_case {
    lf (*function)(const lf&);
    const char* name;
    const char* x;
    const char* expected;
};

void expect_shown(const std::vector<shown_case>& cases) {
    for (const shown_case& c : cases) {
        EXPECT_EQ(shown(c.function(num(c.x))), c.expected) << c.name << "(" << c.x << ")";
    }
}

TEST_F(ExponentialLogTest, ExponentialAtFifteenDigits) {
    expect_shown({
        {EXP, "EXP", "1", "2.71828182845905"},
        {EXP, "EXP", "-1", "0.367879441171442"},
        {EXP, "EXP", "10", "22'026.4657948067"},
        {EXP, "EXP", "100", "2.68811714181614e43"},
        {EXP, "EXP", "-100", "3.72007597602084e-44"},
    });
    EXPECT_EQ(lf_compare(EXP(num("0")), lf_one), 0);
}

TEST_F(ExponentialLogTest, LogarithmsAtFifteenDigits) {
    expect_shown({
        {LOG, "LOG", "2", "0.693147180559945"},
        {LOG, "LOG", "0.5", "-0.693147180559945"},
        {LOG, "LOG", "10", "2.30258509299405"},
        {LOG, "LOG", "1e100", "230.258509299405"},
        {LOG10, "LOG10", "1000", "3"},
        {LOG10, "LOG10", "100", "2"},
        {LOG10, "LOG10", "10", "1"},
        {LOG2, "LOG2", "1024", "10"},
        {LOG2, "LOG2", "2", "1"},
    });
    EXPECT_TRUE(LOG(num("1")).is_zero());
}

TEST_F(ExponentialLogTest, LogOfAPowerOfTwoIsAMultipleOfLnTwoAlone) {
    // m is exactly 1, so the series adds nothing.
    for (int digits : {15, 50, 2000}) {
        set_precision(digits);
        lf minus_ln2 = num("-1") * lf_ln2;
        EXPECT_EQ(lf_compare(LOG(num("0.5")), minus_ln2), 0) << digits;
        EXPECT_EQ(lf_compare(LOG(num("1024")), num("10") * lf_ln2), 0) << digits;
    }
}

TEST_F(ExponentialLogTest, CommonLogOfTenShowsOneButLiesBelowIt) {
    lf value = LOG10(num("10"));
    EXPECT_EQ(shown(value), "1");
    EXPECT_LT(value, lf_one);
    EXPECT_EQ(lf_compare(value, num("0.999999999999999999992186411")), 0) << shown(value - lf_one);
    EXPECT_EQ(shown(value - lf_one), "-7.813589e-21");
}

TEST_F(ExponentialLogTest, EachLogarithmReportsItsOwnDomainError) {
    const std::string log = error_text_of(errors::log_domain);
    EXPECT_EQ(error_of([] { return LOG(num("0")); }), "3004 log()の実引数が0か負");
    EXPECT_EQ(error_of([] { return LOG(num("-1")); }), log);
    EXPECT_EQ(error_of([] { return LOG10(num("-5")); }), "3004 log10()の実引数が0か負");
    EXPECT_EQ(error_of([] { return LOG10(num("0")); }), "3004 log10()の実引数が0か負");
    EXPECT_EQ(error_of([] { return LOG2(num("-1e-300")); }), "3004 log2()の実引数が0か負");
}

TEST_F(ExponentialLogTest, ExponentialsBeyondTheExponentRangeOverflow) {
    const std::string overflow = error_text_of(errors::overflow);
    EXPECT_EQ(error_of([] { return EXP(num("1e12")); }), overflow);
    EXPECT_EQ(error_of([] { return EXP(num("-1e12")); }), overflow);
    EXPECT_EQ(error_of([] { return EXP(num("5e10")); }), overflow);
    EXPECT_EQ(error_of([] { return EXP(num("1e10")); }), "none");
}

TEST_F(ExponentialLogTest, SplitKeepsTheMantissaBetweenTheBounds) {
    const lf upper = SQR(lf_two);
    const lf lower = SQR(num("0.5"));
    for (int digits : {6, 15, 50}) {
        set_precision(digits);
        for (const char* x : {"1", "1.3", "1.5", "0.7", "0.75", "3", "1e10", "2e10", "1e100",
                              "1e-100", "123456.789", "0.000987"}) {
            log_split_result split = log_split(num(x));
            EXPECT_LE(split.m, upper) << x << " at " << digits;
            EXPECT_GE(split.m, lower) << x << " at " << digits;
            EXPECT_TRUE(FP(split.k).is_zero()) << x;
            // m × 2^k gives x back to within the rounding of the powers.
            lf back = split.m * lf_pow(lf_two, split.k);
            EXPECT_LE(ABS(back / num(x) - lf_one), EPS(lf_one) * num("1000"))
                << x << " at " << digits;
        }
    }
}

TEST_F(ExponentialLogTest, SplitLeavesTheMiddleAlone) {
    for (const char* x : {"1", "1.4", "0.71", "0.99999"}) {
        log_split_result split = log_split(num(x));
        EXPECT_TRUE(split.k.is_zero()) << x;
        EXPECT_EQ(lf_compare(split.m, num(x)), 0) << x;
    }
    EXPECT_EQ(shown(log_split(num("1e10")).k), "33");
    EXPECT_EQ(shown(log_split(num("1e-10")).k), "-33");
}

TEST_F(ExponentialLogTest, SplitBoundsKeepThePrecisionOfTheirFirstUse) {
    // Between the square root of 2 held at 6 digits and the one at 50 digits,
    // an argument is split one way while the bounds are from 6 digits and
    // the other way once they are rebuilt at 50.
    set_precision(6);
    lf coarse = SQR(lf_two);
    LOG(num("3"));
    set_precision(50);
    lf fine = SQR(lf_two);
    ASSERT_NE(lf_compare(coarse, fine), 0);
    lf between = (coarse + fine) / lf_two;
    lf k_with_coarse_bounds = log_split(between).k;
    reset_function_caches();
    lf k_with_fine_bounds = log_split(between).k;
    EXPECT_EQ(lf_compare(ABS(k_with_coarse_bounds - k_with_fine_bounds), lf_one), 0);
    EXPECT_EQ(lf_compare(k_with_coarse_bounds, lf_one), coarse < fine ? 0 : -1);
}

}  // namespace
}  // namespace tallix::testing
