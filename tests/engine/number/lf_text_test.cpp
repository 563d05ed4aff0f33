#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/number/lf.h"
#include "engine/number/lf_exception.h"
#include "tests/engine/number/test_support.h"

using namespace tallix;
using namespace tallix::testing;

namespace {

constexpr int32_t int32_max = std::numeric_limits<int32_t>::max();
constexpr int32_t int32_min = std::numeric_limits<int32_t>::min();

int error_code_of_parse(const char* text) {
    try {
        lf x(text);
    } catch (const lf_exception& e) {
        return e.code();
    }
    return 0;
}

TEST(Parse, ZeroInEveryWritingHasNoSign) {
    precision_scope scope(15);
    for (const char* text :
         {"0", "000", "0.000", ".", "+0", "-0", "-0.0", "0e5", "-.000", "''0,0", ""}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(stored_of(lf(text)), stored{});
    }
    EXPECT_EQ(stored_of(lf(static_cast<const char*>(nullptr))), stored{});
}

TEST(Parse, StoredForms) {
    precision_scope scope(15);
    struct parse_case {
        const char* text;
        stored expected;
    } cases[] = {
        {"1", {1, 1, {1}}},
        {"0.5", {1, 0, {500000000}}},
        {".5", {1, 0, {500000000}}},
        {"1000000000", {1, 2, {1}}},
        {"123.45", {2, 1, {123, 450000000}}},
        {"-123.45", {-2, 1, {123, 450000000}}},
        {"0.000000001", {1, 0, {1}}},
        {"0.0000000001", {1, -1, {100000000}}},
        {"1'234,567.5", {2, 1, {1234567, 500000000}}},
        {"1e5", {1, 1, {100000}}},
        {"1E-3", {1, 0, {1000000}}},
        {"2.5e+3", {1, 1, {2500}}},
        {"2.5e 3", {1, 1, {2500}}},
        {"+007", {1, 1, {7}}},
        {"1.25e-9", {2, 0, {1, 250000000}}},
        // Rounding on the first dropped limb: 345678901 is below half.
        {"1234567890123456789012345678901", {3, 4, {1234, 567890123, 456789012}}},
        {"1234567890123456789012645678901", {3, 4, {1234, 567890123, 456789013}}},
        // All kept limbs 999999999 and the dropped one at least half.
        {"0.999999999999999999999999999500000000", {1, 1, {1}}},
        {"0.999999999999999999999999999499999999", {3, 0, {999999999, 999999999, 999999999}}},
        {"99999999999999999999999999.95", {1, 3, {100000000}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(stored_of(lf(c.text)), c.expected);
    }
}

TEST(Parse, MalformedTextGivesZeroWithoutError) {
    precision_scope scope(15);
    for (const char* text : {"abc", "12x", "1.5q", "--1", "1 2", "e5", "inf", "nan", "-inf"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(stored_of(lf(text)), stored{});
    }
}

TEST(Parse, ExponentOutsideThirtyTwoBitsIsOverflow) {
    precision_scope scope(15);
    struct exponent_case {
        const char* text;
        int code;
    } cases[] = {
        {"1e2147483646", 0},          // n = 2147483647 fits
        {"1e2147483647", 1001},       // n = 2147483648 does not
        {"0.01e-2147483646", 0},      // n = -2147483647
        {"0.01e-2147483647", 0},      // n = -2147483648 fits
        {"0.001e-2147483647", 1001},  // n = -2147483649 does not
        {"12.5e2147483646", 1001},    // the point's position counts too
        {"1e99999999999999999999999", 1001},
        {"1e-99999999999999999999999", 1001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(error_code_of_parse(c.text), c.code);
    }
    try {
        lf x("1e2147483647");
        FAIL() << "no exception";
    } catch (const lf_exception& e) {
        EXPECT_STREQ(e.what(), "オーバーフロー");
    }
}

TEST(Parse, OverflowLeavesTheTargetZero) {
    precision_scope scope(15);
    lf x("42");
    EXPECT_THROW(x.parse("1e2147483647"), lf_exception);
    EXPECT_EQ(stored_of(x), stored{});
}

TEST(Format, DisplayShapes) {
    precision_scope scope(15);
    struct shape_case {
        const char* text;
        const char* shown;
    } cases[] = {
        {"0", "0"},
        {"1234567", "1'234'567"},
        {"1234.5", "1'234.5"},
        {"100", "100"},
        {"1000", "1'000"},
        {"0.5", "0.5"},
        {"-0.25", "-0.25"},
        {"0.0001", "0.0001"},
        {"0.00001", "1.0e-5"},
        {"0.00012345", "0.00012345"},
        {"99999999999999", "99'999'999'999'999"},
        {"10000000000000", "10'000'000'000'000"},
        {"100000000000000", "1.0e14"},
        {"-150000000000000000000", "-1.5e20"},
        {"123456789012.345", "123'456'789'012.345"},
        {"1234567890123456789012345678901", "1.23456789012346e30"},
        {"2.0000000000000049", "2"},
        {"0.99999999999999951", "1"},
        {"999999999999999.5", "1.0e15"},
        {"1e2147483646", "1.0e2147483646"},
        {"1e-2147483647", "1.0e-2147483647"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(lf(c.text).to_string(), c.shown);
    }
}

TEST(Format, TwoThirdsAtFifteenDigits) {
    precision_scope scope(15);
    EXPECT_EQ((lf("2") / lf("3")).to_string(), "0.666666666666667");
}

TEST(Format, ExponentOfTheLargestLimbExponentsIsWide) {
    precision_scope scope(15);
    lf top = make_lf(1, int32_max, {123456789});
    EXPECT_EQ(top.to_string(), "1.23456789e" + std::to_string(9LL * int32_max - 1));
    lf bottom = make_lf(-1, int32_min, {1});
    EXPECT_EQ(bottom.to_string(), "-1.0e" + std::to_string(9LL * int32_min - 9));
}

// The widest text: negative, every digit significant, an eleven-digit
// negative exponent. It must fit prec_digits + 16 characters with its NUL.
TEST(Format, NeverWritesPastItsCapacity) {
    for (int digits : {6, 7, 15, 17, 100, 2000}) {
        precision_scope scope(digits);
        std::vector<int32_t> limbs(static_cast<size_t>(prec_limbs), 111111111);
        limbs[0] = 1;
        lf widest = make_lf(-1, int32_min, limbs);
        const int capacity = lf::format_capacity();
        std::vector<char> buffer(static_cast<size_t>(capacity) + 64, '#');
        widest.format(buffer.data());
        size_t written = std::strlen(buffer.data()) + 1;
        SCOPED_TRACE(digits);
        EXPECT_LE(written, static_cast<size_t>(capacity));
        EXPECT_EQ(written, static_cast<size_t>(capacity)) << "the widest case should use it all";
        for (size_t k = written; k < buffer.size(); ++k)
            ASSERT_EQ(buffer[k], '#');
    }
}

TEST(Format, NeverShowsMoreDigitsThanThePrecision) {
    precision_scope scope(6);
    EXPECT_EQ(lf("3.14159265358979").to_string(), "3.14159");
    EXPECT_EQ(lf("1234567.89").to_string(), "1'234'570");
    EXPECT_EQ(lf("0.000123456789").to_string(), "0.000123457");
    EXPECT_EQ(lf("1.50000000001").to_string(), "1.5");
}

TEST(Doubles, ToDoubleReadsTheDisplayedValue) {
    precision_scope scope(15);
    struct double_case {
        const char* text;
        double value;
    } cases[] = {
        {"1234.5", 1234.5}, {"1234567", 1234567.0}, {"-0.25", -0.25},
        {"0.00001", 1e-5},  {"1e300", 1e300},       {"0", 0.0},
        {"0.1", 0.1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(lf(c.text).to_double(), c.value);
    }
    EXPECT_TRUE(std::isinf(lf("1e400").to_double()));
}

TEST(Doubles, FromDoubleKeepsFifteenDigits) {
    precision_scope scope(30);
    EXPECT_EQ(stored_of(lf(0.1)), stored_of(lf("0.1")));
    EXPECT_EQ(stored_of(lf(1e-5)), stored_of(lf("0.00001")));
    EXPECT_EQ(stored_of(lf(-1234.5)), stored_of(lf("-1234.5")));
    EXPECT_EQ(stored_of(lf(1.0 / 3.0)), stored_of(lf("0.333333333333333")));
    EXPECT_EQ(stored_of(lf(1e300)), stored_of(lf("1e300")));
    EXPECT_EQ(stored_of(lf(std::numeric_limits<double>::infinity())), stored{});
    EXPECT_EQ(stored_of(lf(-std::numeric_limits<double>::infinity())), stored{});
    EXPECT_EQ(stored_of(lf(std::nan(""))), stored{});
}

TEST(Values, CopiesAreIndependentAndAssignHandlesSelfAndNull) {
    precision_scope scope(15);
    lf a("123.45");
    lf b(a);
    b.limbs[0] = 7;
    EXPECT_EQ(a.to_string(), "123.45");
    a.assign(a);
    EXPECT_EQ(a.to_string(), "123.45");
    lf longer("1.000000000000000002");
    a.assign(longer);  // more limbs than a holds: a fresh array
    EXPECT_EQ(stored_of(a), stored_of(longer));
    a.assign(lf("5"));  // fewer limbs: the array is reused
    EXPECT_EQ(stored_of(a), stored_of(lf("5")));
    a.assign(nullptr);
    EXPECT_EQ(stored_of(a), stored{});
    lf moved(std::move(longer));
    EXPECT_EQ(moved.to_string(), "1");
}

TEST(Constants, KeepEveryDigitOfTheirText) {
    EXPECT_EQ(stored_of(lf_zero), stored{});
    EXPECT_EQ(stored_of(lf_one), (stored{1, 1, {1}}));
    EXPECT_EQ(stored_of(lf_two), (stored{1, 1, {2}}));
    EXPECT_EQ(stored_of(lf_four), (stored{1, 1, {4}}));
    EXPECT_EQ(lf_ln10.size(), 13);
    EXPECT_EQ(lf_ln10.exp, 1);
    EXPECT_EQ(lf_ln10.limbs[0], 2);
    EXPECT_EQ(lf_ln10.limbs[12], 300000000);
    EXPECT_EQ(lf_ln2.size(), 223);
    EXPECT_EQ(lf_ln2.exp, 0);
    EXPECT_EQ(lf_ln2.limbs[0], 693147180);
    EXPECT_EQ(lf_ln2.limbs[222], 940000000);
}

TEST(Precision, LimbsFollowDigits) {
    struct precision_case {
        int digits;
        int limbs;
    } cases[] = {{6, 2}, {8, 2}, {9, 3}, {15, 3}, {17, 3}, {18, 4}, {100, 13}, {2000, 224}};
    for (const auto& c : cases) {
        precision_scope scope(c.digits);
        EXPECT_EQ(prec_limbs, c.limbs) << c.digits;
        EXPECT_EQ(prec_digits, c.digits);
    }
}

}  // namespace
