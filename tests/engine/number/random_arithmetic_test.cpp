#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/number/lf.h"
#include "tests/engine/number/exact_model.h"
#include "tests/engine/number/random_operands.h"
#include "tests/engine/number/test_support.h"

using namespace tallix;
using namespace tallix::testing;

namespace {

struct plan {
    int digits;
    int pairs;
};

void PrintTo(const plan& p, std::ostream* out) {
    *out << p.digits << " digits, " << p.pairs << " pairs";
}

// Case counts keep the whole run within seconds under the sanitizers; the
// small precisions get the most pairs because their edges are dense.
constexpr plan plans[] = {{6, 1500}, {15, 1500}, {16, 700}, {17, 700},
                          {18, 700}, {100, 120}, {2000, 5}};

std::string describe(const lf& a, const lf& b) {
    std::string s;
    for (const lf* x : {&a, &b}) {
        stored st = stored_of(*x);
        s += "len " + std::to_string(st.len) + " exp " + std::to_string(st.exp) + " [";
        for (int32_t limb : st.limbs)
            s += std::to_string(limb) + " ";
        s += "]  ";
    }
    return s;
}

void expect_round_trip(const lf& x) {
    std::string shown = x.to_string();
    ASSERT_EQ(lf(shown.c_str()).to_string(), shown);
}

class RandomArithmetic : public ::testing::TestWithParam<plan> {};

TEST_P(RandomArithmetic, MatchesTheExactModel) {
    const plan p = GetParam();
    precision_scope scope(p.digits);
    const int keep = prec_limbs;
    std::mt19937_64 random(static_cast<uint64_t>(p.digits) * 7919);
    for (int pair = 0; pair < p.pairs; ++pair) {
        lf a = random_operand(random, keep);
        lf b = related_operand(random, a, keep);
        if (random() % 2) std::swap(a, b);
        SCOPED_TRACE(describe(a, b));
        lf r;
        lf_add(r, a, b);
        ASSERT_EQ(stored_of(r), expected_add(a, b, keep)) << "add";
        expect_round_trip(r);
        lf_sub(r, a, b);
        ASSERT_EQ(stored_of(r), expected_sub(a, b, keep)) << "subtract";
        expect_round_trip(r);
        lf_mul(r, a, b);
        ASSERT_EQ(stored_of(r), expected_mul(a, b, keep)) << "multiply";
        expect_round_trip(r);
        lf_div(r, a, b);
        ASSERT_EQ(stored_of(r), expected_div(a, b, keep)) << "divide";
        expect_round_trip(r);
        expect_round_trip(a);
    }
}

INSTANTIATE_TEST_SUITE_P(Precisions, RandomArithmetic, ::testing::ValuesIn(plans),
                         [](const ::testing::TestParamInfo<plan>& info) {
                             return "digits" + std::to_string(info.param.digits);
                         });

}  // namespace
