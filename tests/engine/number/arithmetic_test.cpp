#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "engine/number/lf.h"
#include "engine/number/lf_exception.h"
#include "tests/engine/number/test_support.h"

using namespace tallix;
using namespace tallix::testing;

namespace {

constexpr int32_t int32_max = std::numeric_limits<int32_t>::max();
constexpr int32_t int32_min = std::numeric_limits<int32_t>::min();

using operation = void (*)(lf&, const lf&, const lf&);

stored apply(operation op, const lf& a, const lf& b) {
    lf r;
    op(r, a, b);
    return stored_of(r);
}

int error_code_of(const std::function<void()>& action) {
    try {
        action();
    } catch (const lf_exception& e) {
        return e.code();
    }
    return 0;
}

TEST(Arithmetic, SmallExamples) {
    precision_scope scope(15);
    struct example {
        const char* what;
        operation op;
        const char* a;
        const char* b;
        const char* result;
    } cases[] = {
        {"0.1 + 0.2", lf_add, "0.1", "0.2", "0.3"},
        {"5 + (-5)", lf_add, "5", "-5", "0"},
        {"x - x", lf_sub, "123.456", "123.456", "0"},
        {"-x - (-x)", lf_sub, "-7.5", "-7.5", "0"},
        {"0 - x", lf_sub, "0", "2.5", "-2.5"},
        {"x - 0", lf_sub, "-2.5", "0", "-2.5"},
        {"0 + x", lf_add, "0", "-4", "-4"},
        {"1 - 3", lf_sub, "1", "3", "-2"},
        {"-1 - 3", lf_sub, "-1", "3", "-4"},
        {"-1 - (-3)", lf_sub, "-1", "-3", "2"},
        {"(-2) × 3", lf_mul, "-2", "3", "-6"},
        {"(-2) × (-3)", lf_mul, "-2", "-3", "6"},
        {"0 × 7", lf_mul, "0", "7", "0"},
        {"10 ÷ 4", lf_div, "10", "4", "2.5"},
        {"0 ÷ 5", lf_div, "0", "5", "0"},
        {"-1 ÷ 8", lf_div, "-1", "8", "-0.125"},
        {"1e9 ÷ 1e-9", lf_div, "1e9", "1e-9", "1e18"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(apply(c.op, lf(c.a), lf(c.b)), stored_of(lf(c.result)));
    }
}

TEST(Arithmetic, StoredForms) {
    precision_scope scope(15);
    EXPECT_EQ(apply(lf_mul, lf("1e9"), lf("1e9")), (stored{1, 3, {1}}));
    EXPECT_EQ(apply(lf_div, lf("1"), lf("3")), (stored{3, 0, {333333333, 333333333, 333333333}}));
    EXPECT_EQ(apply(lf_div, lf("2"), lf("3")), (stored{3, 0, {666666666, 666666666, 666666667}}));
    EXPECT_EQ(apply(lf_sub, lf("5"), lf("5")), stored{});
}

TEST(Arithmetic, FarOperandsAtFifteenDigits) {
    precision_scope scope(15);
    EXPECT_EQ((lf("1") - lf("1e100")).to_string(), "-1.0e100");
    EXPECT_EQ((lf("-1") - lf("-1e100")).to_string(), "1.0e100");
    EXPECT_EQ(stored_of(lf("1e100") + lf("1")), stored_of(lf("1e100")));
}

// With 3 kept limbs, 1 + y where y's limb exponent lies d below: the sum is
// worked out while d <= 3 and 1 comes back untouched from d = 4; 1 - y is
// worked out one limb further, up to d = 4.
TEST(Arithmetic, DistanceThresholdsOfAdditionAndSubtraction) {
    precision_scope scope(15);
    ASSERT_EQ(prec_limbs, 3);
    lf one("1");
    struct threshold_case {
        const char* what;
        operation op;
        int32_t small_exp;
        stored expected;
    } cases[] = {
        {"add, d = 3", lf_add, -2, {3, 1, {1, 0, 1}}},
        {"add, d = 4", lf_add, -3, {1, 1, {1}}},
        {"subtract, d = 4", lf_sub, -3, {3, 0, {999999999, 999999999, 999999999}}},
        {"subtract, d = 5", lf_sub, -4, {1, 1, {1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        lf small = make_lf(1, c.small_exp, {900000000});
        EXPECT_EQ(apply(c.op, one, small), c.expected);
        // Mixed signs take the other operation's threshold.
        operation other = c.op == lf_add ? lf_sub : lf_add;
        EXPECT_EQ(apply(other, one, -small), c.expected);
    }
    // The larger operand comes back with all its limbs, not rounded again.
    lf long_big = make_lf(-1, 1, {1, 2, 3, 4, 5});
    lf tiny = make_lf(1, -20, {7});
    EXPECT_EQ(apply(lf_add, long_big, -tiny), stored_of(long_big));
    EXPECT_EQ(apply(lf_sub, tiny, long_big), (stored{5, 1, {1, 2, 3, 4, 5}}));
}

TEST(Arithmetic, DivisionByZeroLeavesTheResultAlone) {
    precision_scope scope(15);
    lf keep("42");
    EXPECT_EQ(error_code_of([&] { lf_div(keep, lf("1"), lf("0")); }), 3001);
    EXPECT_EQ(error_code_of([&] { lf_div(keep, lf("0"), lf("0")); }), 3001);
    EXPECT_EQ(error_code_of([&] { (void)(lf("1") / lf("0")); }), 3001);
    EXPECT_EQ(error_code_of([&] { keep /= lf_zero; }), 3001);
    EXPECT_EQ(stored_of(keep), stored_of(lf("42")));
    try {
        (void)(lf("1") / lf_zero);
    } catch (const lf_exception& e) {
        EXPECT_STREQ(e.what(), "0除算");
    }
}

TEST(Arithmetic, ResultMayBeAnOperand) {
    precision_scope scope(15);
    lf k("1");
    lf_add(k, k, lf("10"));
    EXPECT_EQ(k.to_string(), "11");
    lf_mul(k, k, k);
    EXPECT_EQ(k.to_string(), "121");
    lf_div(k, k, lf("4"));
    EXPECT_EQ(k.to_string(), "30.25");
    lf_sub(k, lf("0.25"), k);
    EXPECT_EQ(k.to_string(), "-30");
    k /= lf("-7");
    EXPECT_EQ(k.to_string(), "4.28571428571429");
}

TEST(Comparison, Cases) {
    precision_scope scope(15);
    struct compare_case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"1", "1.0000000001", -1}, {"-2", "-1", -1},
        {"0", "-0.5", 1},          {"0", "0", 0},
        {"1e9", "999999999", 1},   {"-1e9", "-999999999", -1},
        {"0.5", "0.50", 0},        {"1.5", "1.25", 1},
        {"-1.5", "-1.25", -1},     {"0", "1e-30", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(lf_compare(lf(c.a), lf(c.b)), c.expected);
        EXPECT_EQ(lf_compare(lf(c.b), lf(c.a)), -c.expected);
    }
    lf x("-123.456e7");
    lf copy(x);
    EXPECT_EQ(lf_compare(x, copy), 0);
    EXPECT_TRUE(x == copy);
    EXPECT_TRUE(lf("2") > lf("1") && lf("1") < lf("2") && lf("1") <= lf("1") && lf("1") >= lf("1"));
}

TEST(Increments, PrefixAndPostfix) {
    precision_scope scope(15);
    lf x("2");
    lf old = x++;
    EXPECT_EQ(old.to_string(), "2");
    EXPECT_EQ(x.to_string(), "3");
    old = x--;
    EXPECT_EQ(old.to_string(), "3");
    EXPECT_EQ(x.to_string(), "2");
    lf one("1");
    EXPECT_EQ(stored_of(--one), stored{});
    EXPECT_EQ(stored_of(++one), stored_of(lf_one));
    lf y("2");
    lf& same = ++y;
    EXPECT_EQ(&same, &y);
    EXPECT_EQ((-lf("0")).len, 0);
    EXPECT_EQ((-lf("4")).to_string(), "-4");
}

// Results whose limb exponent leaves 32 bits are reported as overflow, in
// both directions, and the result operand keeps its old value.
TEST(Overflow, ExtremeExponentsAreReportedNotWrapped) {
    precision_scope scope(15);
    const int32_t half = 1 << 30;
    struct overflow_case {
        const char* what;
        operation op;
        lf a;
        lf b;
    } cases[] = {
        {"product too large", lf_mul, make_lf(1, half, {500000000}), make_lf(1, half, {500000000})},
        {"product too small", lf_mul, make_lf(1, -half, {5}), make_lf(-1, -half, {5})},
        {"product carried past the top", lf_mul, make_lf(1, int32_max, {500000000}),
         make_lf(1, 1, {2})},
        {"quotient too large", lf_div, make_lf(1, half, {5}), make_lf(1, -half, {5})},
        {"quotient too small", lf_div, make_lf(1, int32_min + 5, {5}), make_lf(1, 10, {5})},
        {"sum carried past the top", lf_add, make_lf(1, int32_max, {999999999}),
         make_lf(1, int32_max, {1})},
        {"difference below the bottom", lf_sub, make_lf(1, int32_min, {5, 1}),
         make_lf(1, int32_min, {5})},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        lf result("42");
        EXPECT_EQ(error_code_of([&] { c.op(result, c.a, c.b); }), 1001);
        EXPECT_EQ(stored_of(result), stored_of(lf("42")));
    }
}

TEST(Overflow, ExponentsAtTheEdgeStillWork) {
    precision_scope scope(15);
    lf top = make_lf(1, int32_max, {5});
    EXPECT_EQ(apply(lf_mul, make_lf(1, int32_max - 1, {5}), make_lf(1, 1, {100000000})),
              (stored{1, int32_max - 1, {500000000}}));
    EXPECT_EQ(apply(lf_mul, top, lf("1")), stored_of(top));
    EXPECT_EQ(apply(lf_div, top, lf("1")), stored_of(top));
    lf bottom = make_lf(-1, int32_min, {5});
    EXPECT_EQ(apply(lf_mul, bottom, lf("1")), stored_of(bottom));
    EXPECT_EQ(apply(lf_add, bottom, bottom), (stored{-1, int32_min, {10}}));
    EXPECT_EQ(lf("1e2147483646").to_string(), "1.0e2147483646");
}

TEST(Overflow, NormalizeChecksBothDirections) {
    precision_scope scope(15);
    const int32_t one_limb[] = {0, 7};
    lf x("42");
    EXPECT_EQ(error_code_of([&] { x.normalize(1, int64_t{int32_max} + 2, one_limb, 2); }), 1001);
    EXPECT_EQ(error_code_of([&] { x.normalize(1, int64_t{int32_min}, one_limb, 2); }), 1001);
    x.normalize(-1, int64_t{int32_max} + 1, one_limb, 2);  // the leading zero brings it back
    EXPECT_EQ(stored_of(x), (stored{-1, int32_max, {7}}));
    const int32_t zeros[] = {0, 0, 0};
    x.normalize(1, int64_t{int32_max} * 4, zeros, 3);  // zero has no exponent to overflow
    EXPECT_EQ(stored_of(x), stored{});
}

}  // namespace
