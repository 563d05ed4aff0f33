#include <cmath>

#include "angle_reference.h"
#include "engine/number/interrupt.h"
#include "precision_fixture.h"

namespace tallix::testing {
namespace {

using InverseCircularTest = PrecisionTest;

// Every Landen step rounds to the kept limbs with no guard digits, and the
// iteration loses about twelve of the digits kept beyond those shown (at
// 1,997 digits arctan(sqr(2)-1) is some 165 units off). Where few digits are
// kept beyond the shown ones, the shown result may be off by that much.
double landen_allowance(int digits) {
    int spare = LIMB_DIGITS * (digits / LIMB_DIGITS + 2) - digits;
    return 1.0 + std::pow(10.0, 12.5 - spare);
}

// The sanitizer build stops the slowest cases, 2,000 digits, at 200.
const std::vector<int> kPrecisions = {15, 50, kFullSweeps ? 2000 : 200};

// Each precision with its own allowance.
void expect_true_to_landen(const std::vector<int>& precisions,
                           const std::vector<truth_case>& cases) {
    for (int digits : precisions)
        expect_true_to({digits}, cases, landen_allowance(digits));
}

TEST_F(InverseCircularTest, EndPointsAreExact) {
    for (int digits : {15, 50, 2000}) {
        set_precision(digits);
        reset_function_caches();
        EXPECT_EQ(lf_compare(ARCSIN(num("1")), PI() / num("2")), 0) << digits;
        EXPECT_EQ(lf_compare(ARCSIN(num("-1")), (-PI()) / num("2")), 0) << digits;
        EXPECT_TRUE(ARCCOS(num("1")).is_zero()) << digits;
        EXPECT_TRUE(ARCTAN(num("0")).is_zero()) << digits;
    }
}

TEST_F(InverseCircularTest, DomainErrorsCarryTheirOwnMessages) {
    EXPECT_EQ(error_of([] { return ARCSIN(num("1.0000001")); }),
              error_text_of(errors::arcsin_domain));
    EXPECT_EQ(error_of([] { return ARCSIN(num("-1.5")); }), error_text_of(errors::arcsin_domain));
    EXPECT_EQ(error_of([] { return ARCCOS(num("-1.5")); }), error_text_of(errors::arccos_domain));
    EXPECT_EQ(error_of([] { return ARCCOS(num("1.0000001")); }),
              error_text_of(errors::arccos_domain));
    EXPECT_EQ(error_of([] { return ANGLE(num("0"), num("0")); }),
              error_text_of(errors::angle_of_origin));
}

TEST_F(InverseCircularTest, AngleHasFifteenDigitsAtAnyPrecision) {
    struct {
        const char* x;
        const char* y;
        const char* shown;
    } const examples[] = {{"1", "1", "0.785398163397448"},
                          {"-1", "0", "3.14159265358979"},
                          {"0", "1", "1.5707963267949"}};
    for (int digits : {15, 50, 2000}) {
        set_precision(digits);
        for (const auto& e : examples)
            EXPECT_EQ(shown(ANGLE(num(e.x), num(e.y))), e.shown) << digits;
    }
    std::vector<truth_case> cases;
    for (auto [x, y] : {std::pair{"1000", "1"}, {"-2", "-3"}, {"1e-30", "-1"}, {"-5", "1e-20"}}) {
        cases.push_back(
            {std::string("atan2(") + y + "," + x + ")", [x, y] { return ANGLE(num(x), num(y)); }});
    }
    expect_true_to({6, 15, 50}, cases, 1.0, 15);
}

TEST_F(InverseCircularTest, LargeNegativeArgumentShowsTheKnownValue) {
    EXPECT_EQ(shown(ARCTAN(num("-1000"))), "-1.56979632712823");
}

// Just above sqrt(2) - 1 the folds can hand the argument back and forth, one
// or two calls down.
TEST_F(InverseCircularTest, FoldingNearTheHalfTurnBoundEnds) {
    std::vector<int> precisions = {18, 50, 100};
    for (int digits = 6; digits <= (kFullSweeps ? 200 : 40); ++digits)
        precisions.push_back(digits);
    expect_true_to_landen(precisions,
                          {{"atan(sqrt(2)+1)", [] { return ARCTAN(SQR(num("2")) + num("1")); }},
                           {"atan(sqrt(2)-1)", [] { return ARCTAN(SQR(num("2")) - num("1")); }}});
}

TEST_F(InverseCircularTest, InterruptedCallLeavesNoTrace) {
    lf before = ARCTAN(num("1000"));
    request_stop();
    EXPECT_EQ(error_of([] { return ARCTAN(num("1000")); }), error_text_of(errors::interrupted));
    clear_stop_request();
    EXPECT_EQ(lf_compare(ARCTAN(num("1000")), before), 0);
}

using unary = lf (*)(const lf&);

truth_case at(const char* name, unary fn, const char* x) {
    return {std::string(name) + "(" + x + ")", [fn, x] { return fn(num(x)); }};
}

truth_case at_root(const char* name, unary fn, const char* root, const char* tail) {
    return {std::string(name) + "(sqrt(" + root + ")" + tail + ")",
            [fn, root, tail] { return fn(SQR(num(root)) + num(tail)); }};
}

TEST_F(InverseCircularTest, AgreesWithTrueValues) {
    std::vector<truth_case> cases;
    for (const char* x : {"-1000", "-1", "-0.1", "0.5", "1", "3", "1e30"})
        cases.push_back(at("atan", ARCTAN, x));
    for (const char* x : {"-1", "-0.3", "0.9999", "1"}) {
        cases.push_back(at("asin", ARCSIN, x));
        cases.push_back(at("acos", ARCCOS, x));
    }
    cases.push_back(at_root("atan", ARCTAN, "2", "-1"));
    cases.push_back(at_root("asin", ARCSIN, "2", "-1"));
    cases.push_back(at_root("acos", ARCCOS, "2", "-1"));
    cases.push_back(at_root("atan", ARCTAN, "3", ""));
    cases.push_back({"atan(pi/4)", [] { return ARCTAN(PI() / num("4")); }});
    cases.push_back({"atan(pi/2)", [] { return ARCTAN(PI() / num("2")); }});
    expect_true_to_landen({15, 50}, cases);
    expect_true_to_landen({kPrecisions.back()},
                          {at("atan", ARCTAN, "-1000"), at("atan", ARCTAN, "0.5"),
                           at("atan", ARCTAN, "1e30"), at("asin", ARCSIN, "-0.3"),
                           at("acos", ARCCOS, "0.9999"), at_root("atan", ARCTAN, "2", "-1")});
}

// The Landen form ends in the logarithm of a quotient near 1 when the
// argument is near 0, which leaves an absolute, not a relative, accuracy.
TEST_F(InverseCircularTest, NearZeroIsAccurateOnTheScaleOfOne) {
    std::vector<truth_case> cases;
    for (const char* x : {"1e-30", "-2.5e-7", "3e-12"}) {
        std::string a = x;
        cases.push_back({"1+atan(" + a + ")", [x] { return lf_one + ARCTAN(num(x)); }});
        cases.push_back({"1+asin(" + a + ")", [x] { return lf_one + ARCSIN(num(x)); }});
    }
    expect_true_to_landen(kPrecisions, cases);
}

}  // namespace
}  // namespace tallix::testing
