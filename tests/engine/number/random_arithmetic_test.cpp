#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/number/kernels.h"
#include "engine/number/lf.h"
#include "engine/number/quotient_sum.h"
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

// The shortcuts against the schoolbook kernels at precisions sampled over
// the whole range: products and quotients of full-length operands and of
// runs of 999999999, and the step s + x / b of square roots and series with
// the quotient from just below s to beyond the window the sum keeps.
stored with_kernels(kernel_choice choice, void (*operation)(lf&, const lf&, const lf&), const lf& a,
                    const lf& b) {
    set_kernels(choice);
    lf r;
    operation(r, a, b);
    set_kernels({});
    return stored_of(r);
}

stored quotient_sum(kernel_choice choice, const lf& s, const lf& x, const lf& b) {
    set_kernels(choice);
    lf r;
    if (choice.shortcuts) {
        add_shortened_quotient(r, s, x, b);
    } else {
        lf q;
        lf_div(q, x, b);
        lf_add(r, s, q);
    }
    set_kernels({});
    return stored_of(r);
}

lf nines_operand(std::mt19937_64& random, int keep) {
    std::vector<int32_t> limbs(static_cast<size_t>(keep), LIMB_BASE - 1);
    limbs[random() % limbs.size()] = random_limb(random);
    make_valid(limbs, random);
    return make_lf(1, static_cast<int32_t>(random() % 5) - 2, limbs);
}

TEST(Shortcuts, GiveTheLimbsOfTheSchoolbookKernels) {
    const kernel_choice plain{false, false};
    std::mt19937_64 random(6007);
    for (int round = 0; round < 100; ++round) {
        // Small precisions, where the edges are dense, get the most pairs.
        int digits = round < 3    ? std::vector<int>{6, 2000, 1999}[round]
                     : round < 40 ? 6 + static_cast<int>(random() % 40)
                                  : 6 + static_cast<int>(random() % 1995);
        precision_scope scope(digits);
        const int keep = prec_limbs;
        for (int pair = 0; pair < (digits < 50 ? 300 : 12); ++pair) {
            lf a = pair % 3 == 0 ? nines_operand(random, keep) : random_operand(random, keep);
            lf b = pair % 4 == 0 ? nines_operand(random, keep) : related_operand(random, a, keep);
            a.len = std::abs(a.len);
            b.len = std::abs(b.len);
            SCOPED_TRACE(::testing::Message() << digits << " digits: " << describe(a, b));
            ASSERT_EQ(with_kernels({}, lf_mul, a, b), with_kernels(plain, lf_mul, a, b));
            ASSERT_EQ(with_kernels({}, lf_div, a, b), with_kernels(plain, lf_div, a, b));
            // x / b far below s = b or s = a, as in the halving phase of a
            // square root and the last terms of a series.
            lf x = random_operand(random, keep);
            x.len = std::abs(x.len);
            x.exp = b.exp - static_cast<int32_t>(random() % (2 * keep + 8));
            if (pair % 2) {
                // Just below b × y for a short y: the quotient is y less a
                // little, a run of 999999999 that rounding may carry through.
                lf y = make_lf(1, x.exp - b.exp, {random_limb(random) | 1});
                lf_mul(x, b, y);
                lf_sub(x, x,
                       make_lf(1, x.exp - keep + 1, {1 + static_cast<int32_t>(random() % 3)}));
            }
            SCOPED_TRACE(describe(x, b));
            ASSERT_EQ(quotient_sum({}, b, x, b), quotient_sum(plain, b, x, b));
            lf s = pair % 2 ? a : -a;
            x.len = random() % 2 ? x.len : -x.len;
            ASSERT_EQ(quotient_sum({}, s, x, b), quotient_sum(plain, s, x, b));
        }
    }
}

}  // namespace
