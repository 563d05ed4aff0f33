#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "engine/number/kernels.h"
#include "engine/number/limbs.h"
#include "engine/number/product.h"
#include "engine/number/quotient.h"
#include "tests/engine/number/exact_model.h"

using namespace tallix;
using namespace tallix::testing;

namespace {

using limbs_t = std::vector<int32_t>;

big_nat value_of(const limbs_t& limbs) {
    return exact_of_limbs(1, 0, limbs).magnitude;
}

big_nat power_of_base(size_t n) {
    return big_nat::from_u64(1).times_power_of_ten(9 * static_cast<int64_t>(n));
}

limbs_t random_limbs(std::mt19937& random, size_t n) {
    // Extremes make carries and borrows run across many limbs.
    std::uniform_int_distribution<int32_t> any(0, LIMB_BASE - 1);
    limbs_t r(n);
    for (auto& limb : r) {
        switch (random() % 4) {
            case 0:
                limb = 0;
                break;
            case 1:
                limb = LIMB_BASE - 1;
                break;
            default:
                limb = any(random);
        }
    }
    return r;
}

limbs_t normalised_divisor(std::mt19937& random, size_t n) {
    limbs_t v = random_limbs(random, n);
    v[0] = LIMB_BASE / 2 + static_cast<int32_t>(random() % (LIMB_BASE / 2));
    if (random() % 4 == 0) std::fill(v.begin() + 1, v.end(), LIMB_BASE - 1);
    return v;
}

// A window of n + count limbs whose first n limbs are below v.
limbs_t division_window(std::mt19937& random, const limbs_t& v, size_t count, int round) {
    const size_t n = v.size();
    limbs_t u = random_limbs(random, n + count);
    if (round % 3 == 0) {
        std::copy(v.begin(), v.end(), u.begin());
        size_t k = n - 1;
        while (u[k] == 0)
            u[k--] = LIMB_BASE - 1;
        --u[k];
    } else if (round % 3 == 1) {
        std::copy(v.begin(), v.end(), u.begin());
        u[n - 1] = 0;
        u[0] = v[0] - 1;
    } else {
        u[0] = static_cast<int32_t>(random() % v[0]);
    }
    return u;
}

TEST(LimbPrimitives, CarriesAndBorrowsRunThroughEveryLimb) {
    limbs_t r{999999999, 999999999};
    EXPECT_EQ(add_limbs(r.data(), limbs_t{0, 1}.data(), 2), 1);
    EXPECT_EQ(r, (limbs_t{0, 0}));

    r = {0, 0};
    EXPECT_EQ(subtract_limbs(r.data(), limbs_t{0, 1}.data(), 2), 1);
    EXPECT_EQ(r, (limbs_t{999999999, 999999999}));

    r = {0, 0};
    EXPECT_EQ(submul_limbs(r.data(), limbs_t{0, 1}.data(), 2, 1), 1);
    EXPECT_EQ(r, (limbs_t{999999999, 999999999}));

    r = {999999999, 999999999};
    EXPECT_EQ(addmul_limbs(r.data(), limbs_t{999999999, 999999999}.data(), 2, 999999999),
              999999999);
    EXPECT_EQ(r, (limbs_t{999999999, 0}));
}

TEST(LimbPrimitives, MultiplierZeroChangesNothing) {
    limbs_t r{5, 6, 7};
    limbs_t s{999999999, 1, 2};
    EXPECT_EQ(addmul_limbs(r.data(), s.data(), 3, 0), 0);
    EXPECT_EQ(submul_limbs(r.data(), s.data(), 3, 0), 0);
    EXPECT_EQ(r, (limbs_t{5, 6, 7}));
}

// Each primitive against the identity it must keep, on random operands:
// new r + carry × B^n = r + s × m for the additions, and
// new r − borrow × B^n = r − s × m for the subtractions.
TEST(LimbPrimitives, KeepTheirIdentitiesOnRandomOperands) {
    std::mt19937 random(2024);
    for (int round = 0; round < 400; ++round) {
        size_t n = 1 + random() % 12;
        limbs_t r = random_limbs(random, n);
        limbs_t s = random_limbs(random, n);
        int32_t m = round % 5 == 0 ? LIMB_BASE - 1 : static_cast<int32_t>(random() % LIMB_BASE);
        big_nat base_n = power_of_base(n);

        limbs_t sum = r;
        int32_t carry = add_limbs(sum.data(), s.data(), static_cast<int>(n));
        EXPECT_EQ((value_of(sum) + big_nat::from_u64(carry) * base_n).decimal(),
                  (value_of(r) + value_of(s)).decimal());

        limbs_t difference = r;
        int32_t borrow = subtract_limbs(difference.data(), s.data(), static_cast<int>(n));
        EXPECT_EQ((value_of(difference) + value_of(s)).decimal(),
                  (value_of(r) + big_nat::from_u64(borrow) * base_n).decimal());

        limbs_t accumulated = r;
        carry = addmul_limbs(accumulated.data(), s.data(), static_cast<int>(n), m);
        EXPECT_EQ((value_of(accumulated) + big_nat::from_u64(carry) * base_n).decimal(),
                  (value_of(r) + value_of(s) * big_nat::from_u64(m)).decimal());

        limbs_t reduced = r;
        borrow = submul_limbs(reduced.data(), s.data(), static_cast<int>(n), m);
        EXPECT_EQ((value_of(reduced) + value_of(s) * big_nat::from_u64(m)).decimal(),
                  (value_of(r) + big_nat::from_u64(borrow) * base_n).decimal());
        for (int32_t limb : accumulated)
            ASSERT_TRUE(limb >= 0 && limb < LIMB_BASE);
        for (int32_t limb : reduced)
            ASSERT_TRUE(limb >= 0 && limb < LIMB_BASE);
    }
}

// One quotient limb: the floor of the window by the divisor, the remainder
// left in the window.
void expect_division_step(limbs_t u, const limbs_t& v) {
    big_nat window = value_of(u);
    big_nat divisor = value_of(v);
    int32_t q = div_step(u.data(), v.data(), static_cast<int>(v.size()));
    big_nat expected = quotient(window, divisor);
    EXPECT_EQ(big_nat::from_u64(static_cast<uint64_t>(q)).decimal(), expected.decimal());
    EXPECT_EQ(value_of(u).decimal(), (window - expected * divisor).decimal());
}

TEST(LimbPrimitives, DivisionStepCases) {
    struct step_case {
        const char* what;
        limbs_t u;
        limbs_t v;
    } cases[] = {
        {"one-limb divisor", {3, 141592653}, {500000000}},
        {"one-limb divisor, zero remainder", {0, 999999999}, {999999999}},
        {"leading limbs equal: estimate starts at B - 1", {500000000, 0, 0, 5}, {500000000, 0, 7}},
        {"second-limb test lowers the estimate", {499999999, 999999999, 0}, {500000000, 999999999}},
        // The two-limb estimate is 2, but the third divisor limb makes 2 × v
        // exceed the window: the step must add the divisor back.
        {"estimate one too large: add back", {1, 0, 0, 0}, {500000000, 0, 999999999}},
        {"zero window", {0, 0, 0}, {700000000, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expect_division_step(c.u, c.v);
    }
}

TEST(LimbPrimitives, DivisionStepOnRandomNormalisedDivisors) {
    std::mt19937 random(77);
    for (int round = 0; round < 300; ++round) {
        size_t n = 1 + random() % 6;
        limbs_t v = normalised_divisor(random, n);
        limbs_t u = division_window(random, v, 1, round);
        SCOPED_TRACE(round);
        expect_division_step(u, v);
    }
}

}  // namespace

namespace {

// The column and block methods must give the very limbs of the plain
// row-by-row and step-by-step methods, including on the operands where
// estimates are most often wrong: runs of 999999999 and of zeros, and
// windows that start just below the divisor.
limbs_t rows_product(const limbs_t& a, const limbs_t& b) {
    limbs_t z(a.size() + b.size(), 0);
    const int n = static_cast<int>(a.size());
    for (int j = static_cast<int>(b.size()) - 1; j >= 0; --j)
        z[j] += addmul_limbs(z.data() + j + 1, a.data(), n, b[j]);
    return z;
}

}  // namespace

// Kept limb counts as the precisions from 6 to 2,000 digits give them, plus
// the limbs rounding reads.
int sampled_keep(std::mt19937& random) {
    int digits = 6 + static_cast<int>(random() % 1995);
    return digits / LIMB_DIGITS + 4;
}

// Every length up to 226 limbs once as the first operand, against full,
// one-limb and random lengths; a fifth of the operands all 999999999 or
// with long runs of zeros, where carries run furthest.
limbs_t adversarial_limbs(std::mt19937& random, size_t n, int round) {
    limbs_t x = random_limbs(random, n);
    if (round % 5 == 0) std::fill(x.begin(), x.end(), LIMB_BASE - 1);
    if (round % 5 == 1) std::fill(x.begin() + static_cast<long>(n / 2), x.end(), 0);
    if (x[0] == 0) x[0] = 1;
    return x;
}

class KernelChoices : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override { set_kernels({true, GetParam()}); }
    void TearDown() override { set_kernels({}); }
};

INSTANTIATE_TEST_SUITE_P(LimbKernels, KernelChoices, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "vector" : "portable"; });

TEST_P(KernelChoices, ColumnAndLeadingProductsEqualRowsOfProducts) {
    std::mt19937 random(4242);
    int leading_refused = 0;
    for (int round = 0; round < 452; ++round) {
        size_t n = 1 + round % 226;
        size_t m = round < 226 ? std::vector<size_t>{n, 1, 226}[round % 3] : 1 + random() % 226;
        limbs_t a = adversarial_limbs(random, n, round);
        limbs_t b = adversarial_limbs(random, m, round / 3);
        SCOPED_TRACE(::testing::Message() << "round " << round << ", " << n << " x " << m);
        limbs_t expected = rows_product(a, b);
        limbs_t z(n + m, -1);
        multiply_limbs(z.data(), a.data(), static_cast<int>(n), b.data(), static_cast<int>(m));
        EXPECT_EQ(z, expected);

        int keep = std::min(sampled_keep(random), static_cast<int>(n + m));
        std::fill(z.begin(), z.end(), -1);
        if (multiply_limbs_leading(z.data(), keep, a.data(), static_cast<int>(n), b.data(),
                                   static_cast<int>(m))) {
            EXPECT_TRUE(std::equal(z.begin(), z.begin() + keep, expected.begin())) << keep;
        } else {
            ++leading_refused;
        }
    }
    // The all-999999999 operands leave tails where the bound cannot decide.
    EXPECT_GT(leading_refused, 0);
}

// Every length up to 250 against every short length, either way round: the
// short operand random, all 999999999 or with zeros, the long one likewise.
TEST(ShortProducts, EqualRowsOfProducts) {
    std::mt19937 random(2718);
    for (size_t n = 1; n <= 250; ++n) {
        for (size_t m = 1; m < static_cast<size_t>(shortest_for_columns); ++m) {
            const int round = static_cast<int>(n + m);
            limbs_t a = adversarial_limbs(random, n, round);
            limbs_t b = adversarial_limbs(random, m, round / 5 + static_cast<int>(m));
            SCOPED_TRACE(::testing::Message() << n << " x " << m);
            limbs_t z(n + m, -1);
            multiply_limbs_short(z.data(), a.data(), static_cast<int>(n), b.data(),
                                 static_cast<int>(m));
            ASSERT_EQ(z, rows_product(a, b));
            std::fill(z.begin(), z.end(), -1);
            multiply_limbs_short(z.data(), b.data(), static_cast<int>(m), a.data(),
                                 static_cast<int>(n));
            ASSERT_EQ(z, rows_product(b, a));
        }
    }
}

TEST_P(KernelChoices, BlockAndLeadingDivisionEqualStepByStepDivision) {
    std::mt19937 random(9001);
    int leading_taken = 0;
    for (int round = 0; round < 300; ++round) {
        size_t n = round < 226 ? 1 + static_cast<size_t>(round) : 1 + random() % 226;
        size_t count =
            round % 4 == 0 ? 1 + random() % 60 : static_cast<size_t>(sampled_keep(random));
        limbs_t v = normalised_divisor(random, n);
        limbs_t u = division_window(random, v, count, round);

        limbs_t stepped = u;
        limbs_t expected_q(count);
        divide_limbs_by_steps(expected_q.data(), stepped.data(), v.data(), static_cast<int>(n),
                              static_cast<int>(count));
        SCOPED_TRACE(::testing::Message() << "round " << round << ", " << n << " limbs, " << count);

        limbs_t q(count, -1);
        if (divide_limbs_leading(q.data(), u.data(), v.data(), static_cast<int>(n),
                                 static_cast<int>(count))) {
            EXPECT_EQ(q, expected_q);
            ++leading_taken;
        }
        std::fill(q.begin(), q.end(), -1);
        divide_limbs(q.data(), u.data(), v.data(), static_cast<int>(n), static_cast<int>(count));
        EXPECT_EQ(q, expected_q);
        EXPECT_EQ(u, stepped);
    }
    // Divisors of 32 limbs or more take the short way unless a guard limb
    // of 0 or 999999999 leaves it undecided.
    EXPECT_GT(leading_taken, 150);
}

// One-limb divisors, not normalised, as a quotient by a small whole number
// meets them: every divisor of 10^9 (divided limb by limb without a chain)
// and others (two limbs per step, or one for short windows), against window
// lengths up to 250, random, all 999999999, or with zeros.
TEST(OneLimbDivisors, DivideAsStepByStep) {
    std::vector<int32_t> divisors{1, 3, 7, 999999999, 999999998, 123456789, 500000001};
    for (int32_t two = 1; two <= 512; two *= 2)
        for (int32_t five = 1; five <= 1953125; five *= 5)
            divisors.push_back(two * five);
    std::mt19937 random(1729);
    for (int32_t v : divisors) {
        const bool every_length = v == 2 || LIMB_BASE % v != 0;
        for (size_t count = 1; count <= 250; count += every_length ? 1 : 1 + random() % 24) {
            const int round = static_cast<int>(count);
            limbs_t u = adversarial_limbs(random, count + 1, round);
            u[0] = round % 3 == 0 ? v - 1 : static_cast<int32_t>(random() % v);
            SCOPED_TRACE(::testing::Message() << v << " into " << count + 1 << " limbs");
            limbs_t stepped = u;
            limbs_t expected_q(count);
            divide_limbs_by_steps(expected_q.data(), stepped.data(), &v, 1,
                                  static_cast<int>(count));
            limbs_t q(count, -1);
            divide_limbs(q.data(), u.data(), &v, 1, static_cast<int>(count));
            ASSERT_EQ(q, expected_q);
            ASSERT_EQ(u, stepped);
        }
    }
}

// Exact multiples of a divisor whose limbs past the first block are zero
// make every block estimate a whole number, which is where an estimate from
// a reciprocal falls one short; the quotient is known, the remainder zero.
TEST_P(KernelChoices, ExactMultiplesDivideExactly) {
    std::mt19937 random(77);
    for (size_t n : {16, 17, 24, 31, 32, 33, 48, 226}) {
        for (size_t count : {32, 40, 227}) {
            limbs_t v = normalised_divisor(random, n);
            std::fill(v.begin() + division_block, v.end(), 0);
            limbs_t expected_q = random_limbs(random, count);
            limbs_t u = rows_product(expected_q, v);
            SCOPED_TRACE(::testing::Message() << n << " limbs, " << count);

            limbs_t q(count, -1);
            if (divide_limbs_leading(q.data(), u.data(), v.data(), static_cast<int>(n),
                                     static_cast<int>(count - 1))) {
                EXPECT_TRUE(std::equal(q.begin(), q.end() - 1, expected_q.begin()));
            }
            divide_limbs(q.data(), u.data(), v.data(), static_cast<int>(n),
                         static_cast<int>(count));
            EXPECT_EQ(q, expected_q);
            EXPECT_TRUE(std::all_of(u.begin(), u.end(), [](int32_t limb) { return limb == 0; }));
        }
    }
}
