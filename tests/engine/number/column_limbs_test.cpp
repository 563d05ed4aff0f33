#include "engine/number/column_limbs.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/number/kernels.h"
#include "engine/number/limbs.h"
#include "tests/engine/number/exact_model.h"
#include "tests/engine/number/random_operands.h"

using namespace tallix;
using namespace tallix::testing;

namespace {

using limbs_t = std::vector<int32_t>;
constexpr uint64_t base = LIMB_BASE;

// Column sums where a split of the column, or of what is left of a limb, is
// closest to turning: whole multiples of 10^9 and their neighbours, from the
// smallest to the largest a column of 16 products reaches.
uint64_t edge_column(std::mt19937_64& random) {
    const uint64_t largest = 16 * (base - 1) * (base - 1);
    const uint64_t multiple = base * (random() % 2 ? random() % 40 : random() % (largest / base));
    switch (random() % 6) {
        case 0:
            return 0;
        case 1:
            return largest - random() % 3;
        case 2:
            return multiple;
        case 3:
            return multiple + 1 + random() % 3;
        case 4:
            return multiple == 0 ? 0 : multiple - 1 - random() % 3;
        default:
            return random() % largest;
    }
}

// Columns of the product e × v, one row per limb of e as subtract_product
// forms them.
std::vector<uint64_t> product_columns(const limbs_t& e, const limbs_t& v) {
    std::vector<uint64_t> columns(e.size() + v.size() + 4, 0);
    for (size_t r = 0; r < e.size(); ++r) {
        for (size_t j = 0; j < v.size(); ++j)
            columns[r + j + 1] += uint64_t(uint32_t(e[r])) * uint32_t(v[j]);
    }
    return columns;
}

limbs_t random_limbs(std::mt19937_64& random, size_t n, bool zeros) {
    limbs_t x(n);
    for (auto& limb : x)
        limb = zeros && random() % 3 ? 0 : random_limb(random);
    return x;
}

big_nat value_of(const limbs_t& limbs) {
    return exact_of_limbs(1, 0, limbs).magnitude;
}

// u minus the columns, as the portable kernel and, where the processor has
// it, the vector kernel give it; both must agree limb for limb.
struct subtracted {
    limbs_t limbs;
    int32_t negative;
};

subtracted subtract_both_ways(const limbs_t& u, const std::vector<uint64_t>& columns) {
    const int w = static_cast<int>(u.size());
    subtracted portable{u, 0};
    portable.negative = subtract_columns_portable(portable.limbs.data(), columns.data(), w);
    subtracted vector{u, 0};
    vector.negative = subtract_columns_vector(vector.limbs.data(), columns.data(), w);
    if (vector.negative >= 0) {
        EXPECT_EQ(vector.limbs, portable.limbs);
        EXPECT_EQ(vector.negative, portable.negative);
    } else {
        EXPECT_EQ(vector.limbs, u);
    }
    return portable;
}

}  // namespace

// Arbitrary columns: the split of each column near a multiple of 10^9, where
// an estimate in doubles lands on either side.
TEST(ColumnLimbs, VectorAndPortableAgreeOnEdgeColumns) {
    std::mt19937_64 random(31);
    for (int round = 0; round < 600; ++round) {
        const size_t w = 1 + round % 250;
        SCOPED_TRACE(::testing::Message() << "round " << round << ", " << w << " limbs");
        std::vector<uint64_t> columns(w + 4, 0);
        for (size_t c = 1; c < w; ++c)
            columns[c] = edge_column(random);
        if (round % 3 == 0) columns[0] = random() % base;
        subtract_both_ways(random_limbs(random, w, round % 2 == 0), columns);
    }
}

// Products subtracted from themselves and their neighbours: results of zero,
// of one, and of minus one, where a borrow runs through every limb.
TEST(ColumnLimbs, ProductsNearTheWindowGiveExactDifferences) {
    std::mt19937_64 random(32);
    for (int round = 0; round < 500; ++round) {
        const size_t k = 1 + round % 16;
        const size_t n = 1 + random() % 226;
        const bool zeros = round % 3 == 0;
        const limbs_t e = random_limbs(random, k, zeros);
        limbs_t v = random_limbs(random, n, zeros);
        if (round % 5 == 0) std::fill(v.begin(), v.end(), LIMB_BASE - 1);
        SCOPED_TRACE(::testing::Message() << "round " << round << ", " << k << " x " << n);

        limbs_t u(k + n, 0);
        for (size_t j = n; j-- > 0;)
            u[j] += addmul_limbs(u.data() + j + 1, e.data(), static_cast<int>(k), v[j]);
        const int offset = static_cast<int>(random() % 3) - 1;  // u is the product + offset
        const int w = static_cast<int>(u.size());
        if (offset == 1) {
            int c = w - 1;
            while (c >= 0 && u[c] == LIMB_BASE - 1)
                u[c--] = 0;
            ++u[c];  // a product of k and n limbs is below 10^(9w) - 1
        }
        if (offset == -1) {
            int c = w - 1;
            while (c >= 0 && u[c] == 0)
                u[c--] = LIMB_BASE - 1;
            if (c < 0) continue;  // the product is 0
            --u[c];
        }
        const subtracted result = subtract_both_ways(u, product_columns(e, v));
        EXPECT_EQ(result.negative, offset < 0 ? 1 : 0);
        const big_nat one = big_nat::from_u64(1);
        const big_nat expected = offset < 0 ? one.times_power_of_ten(9 * w) - one
                                            : big_nat::from_u64(static_cast<uint64_t>(offset));
        EXPECT_EQ(value_of(result.limbs).decimal(), expected.decimal());
    }
}

// Columns as limbs of their own, against carrying them one at a time: edge
// columns up to the largest taken, and runs of 999999999 that a carry from
// the last column runs through.
TEST(ColumnLimbs, VectorCarriesAsOneColumnAtATime) {
    std::mt19937_64 random(33);
    const uint64_t largest = 17500000000000000000u;
    for (int round = 0; round < 600; ++round) {
        const size_t w = 1 + round % 250;
        SCOPED_TRACE(::testing::Message() << "round " << round << ", " << w << " limbs");
        std::vector<uint64_t> columns(w + 4, 0);
        for (size_t c = 0; c < w; ++c)
            columns[c] = round % 4 == 0 ? base - 1 : edge_column(random);
        if (round % 4 == 0) columns[w - 1] = base + random() % 2;
        if (round % 7 == 0) columns[random() % w] = largest - random() % 3;

        limbs_t expected(w);
        uint64_t carry = 0;
        for (size_t c = w; c-- > 0;) {
            const uint64_t t = columns[c] + carry;
            expected[c] = static_cast<int32_t>(t % base);
            carry = t / base;
        }
        limbs_t z(w, -1);
        uint64_t above = 0;
        if (!columns_to_limbs_vector(z.data(), columns.data(), static_cast<int>(w), above))
            GTEST_SKIP() << "no AVX2 and FMA here";
        EXPECT_EQ(z, expected);
        EXPECT_EQ(above, carry);
    }
}

// One limb times many, against addmul_limbs: every length to 250 limbs,
// with multipliers and limbs at their extremes.
TEST(ColumnLimbs, VectorMultipleOfOneLimbEqualsRowOfProducts) {
    std::mt19937_64 random(34);
    for (int round = 0; round < 500; ++round) {
        const size_t n = 1 + round % 250;
        limbs_t s = random_limbs(random, n, round % 3 == 0);
        if (round % 5 == 0) std::fill(s.begin(), s.end(), LIMB_BASE - 1);
        const int32_t m = round % 4 == 0 ? LIMB_BASE - 1 : random_limb(random);
        SCOPED_TRACE(::testing::Message() << "round " << round << ", " << n << " limbs x " << m);
        limbs_t expected(n + 1, 0);
        expected[0] = addmul_limbs(expected.data() + 1, s.data(), static_cast<int>(n), m);
        limbs_t r(n + 1, -1);
        if (!multiply_by_limb_vector(r.data(), s.data(), static_cast<int>(n), m))
            GTEST_SKIP() << "no AVX2 and FMA here";
        EXPECT_EQ(r, expected);
    }
}
