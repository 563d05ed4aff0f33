#include "angle_reference.h"
#include "engine/number/interrupt.h"
#include "precision_fixture.h"

namespace tallix::testing {
namespace {

using CircularTest = PrecisionTest;

lf pi_times(const char* numerator, const char* denominator) {
    return num(numerator) * PI() / num(denominator);
}

void add_every_function(std::vector<truth_case>& cases, const char* x) {
    std::string a = x;
    cases.push_back({"sin(" + a + ")", [x] { return SIN(num(x)); }});
    cases.push_back({"cos(" + a + ")", [x] { return COS(num(x)); }});
    cases.push_back({"tan(" + a + ")", [x] { return TAN(num(x)); }});
    cases.push_back({"cot(" + a + ")", [x] { return COT(num(x)); }});
    cases.push_back({"sec(" + a + ")", [x] { return SEC(num(x)); }});
    cases.push_back({"csc(" + a + ")", [x] { return COSEC(num(x)); }});
}

TEST_F(CircularTest, SymmetriesAreExact) {
    EXPECT_TRUE(SIN(num("0")).is_zero());
    EXPECT_EQ(lf_compare(COS(num("0")), lf_one), 0);
    for (int digits : {15, 50}) {
        set_precision(digits);
        for (const char* x : {"0.5", "1", "2.5", "4", "5.5", "100", "1e-20"}) {
            EXPECT_EQ(lf_compare(SIN(-num(x)), -SIN(num(x))), 0) << x << " at " << digits;
            EXPECT_EQ(lf_compare(COS(-num(x)), COS(num(x))), 0) << x << " at " << digits;
        }
    }
}

TEST_F(CircularTest, PolesRaiseTheirOwnErrors) {
    for (int digits : {15, 50, 2000}) {
        set_precision(digits);
        reset_function_caches();
        lf half_pi = PI() / num("2");
        EXPECT_EQ(error_of([&] { return TAN(half_pi); }), error_text_of(errors::tan_pole));
        EXPECT_EQ(error_of([&] { return SEC(half_pi); }), error_text_of(errors::division_by_zero));
        EXPECT_EQ(error_of([] { return COT(num("0")); }), error_text_of(errors::division_by_zero));
        EXPECT_EQ(error_of([] { return COSEC(num("0")); }),
                  error_text_of(errors::division_by_zero));
    }
}

TEST_F(CircularTest, SixthsOfPiGiveOneHalf) {
    for (int digits : {15, 50, 2000}) {
        set_precision(digits);
        reset_function_caches();
        EXPECT_EQ(shown(SIN(pi_times("1", "6"))), "0.5") << digits;
        EXPECT_EQ(shown(COS(pi_times("1", "3"))), "0.5") << digits;
    }
}

// Angles just above pi/4, where the folds would hand the angle back and forth.
TEST_F(CircularTest, FoldingNearAQuarterTurnEnds) {
    expect_true_to({15, 16, 17, 18, 50}, {{"sin(5*pi/4)", [] { return SIN(pi_times("5", "4")); }},
                                          {"cos(5*pi/4)", [] { return COS(pi_times("5", "4")); }}});
    expect_true_to({18}, {{"sin(pi/4+1e-30)", [] { return SIN(PI() / num("4") + num("1e-30")); }}});
}

// The repeated call is recognised by the cosine's argument without its sign:
// recording the sign instead changes the last digit here.
TEST_F(CircularTest, RepeatIsKnownByTheMagnitudeOfTheCosineArgument) {
    set_precision(422);
    reset_function_caches();
    std::string shown_value = shown(COS(PI() - pi_times("5", "4")));
    EXPECT_EQ(shown_value.substr(shown_value.size() - 12), "534950240751");
    expect_near_truth({{422, shown_value, "cos(pi-5*pi/4)"}});
}

// A call abandoned by an error must not stay on the chain, or the next call
// of the same argument would take itself for a repeat.
TEST_F(CircularTest, InterruptedCallLeavesNoTrace) {
    lf before = SIN(num("100"));
    request_stop();
    EXPECT_EQ(error_of([] { return SIN(num("100")); }), error_text_of(errors::interrupted));
    clear_stop_request();
    EXPECT_EQ(lf_compare(SIN(num("100")), before), 0);
}

TEST_F(CircularTest, AgreesWithTrueValues) {
    // Negative, tiny, large, the fold points pi/4 and pi/2, sqrt(2) - 1, +-1,
    // and angles in every quadrant.
    std::vector<truth_case> cases;
    for (const char* x : {"-2.5", "1e-30", "40.5", "-1", "1", "3", "4", "5.5", "-7", "0.7853"})
        add_every_function(cases, x);
    lf (*const functions[])(const lf&) = {SIN, COS, TAN, COT, COSEC};
    const char* names[] = {"sin", "cos", "tan", "cot", "csc"};
    for (size_t f = 0; f < 5; ++f) {
        std::string name = names[f];
        auto fn = functions[f];
        cases.push_back({name + "(pi/4)", [fn] { return fn(PI() / num("4")); }});
        cases.push_back({name + "(sqrt(2)-1)", [fn] { return fn(SQR(num("2")) - num("1")); }});
    }
    cases.push_back({"sin(pi/2)", [] { return SIN(PI() / num("2")); }});
    expect_true_to({15, 50, 2000}, cases);
}

// At 15 digits 2pi keeps only 18 decimals, so the 159 turns taken off 1000.5
// cost about a unit in the 15th digit; more digits keep more spare.
TEST_F(CircularTest, LargerArgumentsAgreeWithTrueValues) {
    std::vector<truth_case> cases;
    add_every_function(cases, "1000.5");
    expect_true_to({15}, cases, 1.0, 14);
    expect_true_to({50, 2000}, cases);
}

// With more integer digits than the precision keeps, the reduction modulo
// 2pi keeps no correct digit; the functions still end with a sine and a
// cosine between -1 and 1.
TEST_F(CircularTest, HugeArgumentsEndWithinRange) {
    for (const char* x : {"1e20", "-3e100", "1e1000"}) {
        for (lf value : {SIN(num(x)), COS(num(x))}) {
            EXPECT_LE(lf_compare(ABS(value), lf_one), 0) << x;
        }
    }
}

}  // namespace
}  // namespace tallix::testing
