#include "engine/functions/pi.h"
#include "angle_reference.h"
#include "engine/number/interrupt.h"
#include "precision_fixture.h"

namespace tallix::testing {
namespace {

using PiTest = PrecisionTest;

// The optimised build tries every precision; the sanitizer build a sample
// that still holds the precisions where the iteration stalls above b.
std::vector<int> pi_precisions() {
    std::vector<int> precisions;
    for (int digits = 6; digits <= 2000; digits += kFullSweeps ? 1 : 97)
        precisions.push_back(digits);
    if (!kFullSweeps) {
        for (int stall :
             {684, 692, 720, 737, 1278, 1286, 1386, 1394, 1656, 1664, 1710, 1718, 1899, 1907})
            precisions.push_back(stall);
    }
    return precisions;
}

TEST_F(PiTest, EndsAndAgreesWithPiAtEveryPrecision) {
    expect_true_to(pi_precisions(), {{"pi", [] { return PI(); }}});
}

TEST_F(PiTest, KeepsItsFirstPrecisionAfterARaise) {
    lf first = PI();
    set_precision(100);
    EXPECT_EQ(lf_compare(PI(), first), 0);
    // Results built on the cached value are good to its 18 decimals only,
    // until the cache is emptied.
    std::string stale = shown(DEG(num("1")));
    reset_pi_cache();
    std::string fresh = shown(DEG(num("1")));
    EXPECT_NE(stale, fresh);
    expect_near_truth({{17, stale, "degrees(1)"}, {100, fresh, "degrees(1)"}});
}

TEST_F(PiTest, InterruptedComputationLeavesNothingCached) {
    set_precision(500);
    request_stop();
    EXPECT_EQ(error_of([] { return PI(); }), error_text_of(errors::interrupted));
    clear_stop_request();
    expect_near_truth({{500, shown(PI()), "pi"}});
}

TEST_F(PiTest, DegreesAndRadiansConvertBothWays) {
    for (int digits : {15, 50, 2000}) {
        set_precision(digits);
        EXPECT_EQ(shown(RAD(num("180"))), shown(PI())) << digits;
        EXPECT_EQ(shown(DEG(PI())), "180") << digits;
    }
    expect_true_to({15, 50, 2000}, {{"degrees(1)", [] { return DEG(num("1")); }},
                                    {"degrees(-2.5)", [] { return DEG(num("-2.5")); }},
                                    {"degrees(1e-30)", [] { return DEG(num("1e-30")); }},
                                    {"radians(1)", [] { return RAD(num("1")); }},
                                    {"radians(-45)", [] { return RAD(num("-45")); }},
                                    {"radians(1e30)", [] { return RAD(num("1e30")); }}});
}

}  // namespace
}  // namespace tallix::testing
