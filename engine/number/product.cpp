#include "engine/number/product.h"

#include <algorithm>
#include <vector>

#include "engine/number/column_limbs.h"
#include "engine/number/kernels.h"
#include "engine/number/limbs.h"
#include "engine/number/precision.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TALLIX_HAVE_AVX2_KERNEL 1
#endif

namespace tallix {

namespace {

// Products are summed column by column (all a[i] × b[j] with the same i + j)
// and carried once per column instead of once per product. A column sum
// reaches m × 10^18, beyond 64 bits, so it is kept as two 64-bit halves:
// the low and the high 32 bits of each product summed apart.
struct column_sums {
    std::vector<uint64_t> low;
    std::vector<uint64_t> high;
};

// Operand copies with zeros after them, so a column may be read in whole
// vector blocks: every product past the column's end meets a zero. Four
// columns read together run up to three limbs past the first one's end.
constexpr int padding = 16;

void column_sums_portable(const uint32_t* x, const uint32_t* y_reversed, int n, int m, int columns,
                          column_sums& sums) {
    for (int c = 0; c < columns; ++c) {
        int first = std::max(0, c - m + 1);
        int length = std::min(c, n - 1) - first + 1;
        const uint32_t* xs = x + first;
        const uint32_t* ys = y_reversed + (m - 1 - c + first);
        uint64_t low = 0, high = 0;
        for (int i = 0; i < length; ++i) {
            uint64_t p = uint64_t{xs[i]} * ys[i];
            low += static_cast<uint32_t>(p);
            high += p >> 32;
        }
        sums.low[c] = low;
        sums.high[c] = high;
    }
}

#ifdef TALLIX_HAVE_AVX2_KERNEL
__attribute__((target("avx2"))) uint64_t horizontal_sum(__m256i v) {
    __m128i s = _mm_add_epi64(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    return static_cast<uint64_t>(_mm_cvtsi128_si64(s)) +
           static_cast<uint64_t>(_mm_extract_epi64(s, 1));
}

// Eight products of x[i] y[i] added to a lane sum, two per 64-bit lane.
__attribute__((target("avx2"))) inline __m256i add_products(__m256i sums, __m256i x, __m256i x_odd,
                                                            const uint32_t* y) {
    const __m256i yv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(y));
    sums = _mm256_add_epi64(sums, _mm256_mul_epu32(x, yv));
    return _mm256_add_epi64(sums, _mm256_mul_epu32(x_odd, _mm256_srli_epi64(yv, 32)));
}

// A lane takes sixteen products (below 1.6 × 10^19) before it is split into
// the low and high halves of the column sums.
constexpr int blocks_per_split = 8;

struct split_sums {
    __m256i low, high;
};

__attribute__((target("avx2"))) inline void add_halves(split_sums& sums, __m256i lane_sums) {
    sums.low =
        _mm256_add_epi64(sums.low, _mm256_and_si256(lane_sums, _mm256_set1_epi64x(0xffffffff)));
    sums.high = _mm256_add_epi64(sums.high, _mm256_srli_epi64(lane_sums, 32));
}

__attribute__((target("avx2"))) inline void store_column(column_sums& sums, int c,
                                                         const split_sums& column) {
    sums.low[c] = horizontal_sum(column.low);
    sums.high[c] = horizontal_sum(column.high);
}

// One column, eight products per block.
__attribute__((target("avx2"))) void one_column_avx2(const uint32_t* xs, const uint32_t* ys,
                                                     int length, int c, column_sums& sums) {
    const int blocks = (length + 7) / 8;
    split_sums column{_mm256_setzero_si256(), _mm256_setzero_si256()};
    for (int b = 0; b < blocks;) {
        __m256i lane_sums = _mm256_setzero_si256();
        for (int end = std::min(blocks, b + blocks_per_split); b < end; ++b) {
            const __m256i xv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(xs + 8 * b));
            lane_sums = add_products(lane_sums, xv, _mm256_srli_epi64(xv, 32), ys + 8 * b);
        }
        add_halves(column, lane_sums);
    }
    store_column(sums, c, column);
}

// Columns c to c + 3, all starting at x[0] (c + 3 below both lengths), so
// that each block of x is loaded once for the four. The shorter columns'
// blocks run past their ends into the zeros after y.
__attribute__((target("avx2"))) void four_columns_avx2(const uint32_t* x,
                                                       const uint32_t* y_reversed, int m, int c,
                                                       column_sums& sums) {
    const uint32_t* ys = y_reversed + (m - 1 - c);
    const int blocks = (c + 4 + 7) / 8;
    const __m256i zero = _mm256_setzero_si256();
    split_sums column[4] = {{zero, zero}, {zero, zero}, {zero, zero}, {zero, zero}};
    for (int b = 0; b < blocks;) {
        __m256i s0 = zero, s1 = zero, s2 = zero, s3 = zero;
        for (int end = std::min(blocks, b + blocks_per_split); b < end; ++b) {
            const __m256i xv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x + 8 * b));
            const __m256i x_odd = _mm256_srli_epi64(xv, 32);
            s0 = add_products(s0, xv, x_odd, ys + 8 * b);
            s1 = add_products(s1, xv, x_odd, ys + 8 * b - 1);
            s2 = add_products(s2, xv, x_odd, ys + 8 * b - 2);
            s3 = add_products(s3, xv, x_odd, ys + 8 * b - 3);
        }
        add_halves(column[0], s0);
        add_halves(column[1], s1);
        add_halves(column[2], s2);
        add_halves(column[3], s3);
    }
    for (int j = 0; j < 4; ++j)
        store_column(sums, c + j, column[j]);
}

__attribute__((target("avx2"))) void column_sums_avx2(const uint32_t* x, const uint32_t* y_reversed,
                                                      int n, int m, int columns,
                                                      column_sums& sums) {
    int c = 0;
    for (; c + 4 <= std::min({columns, n, m}); c += 4)
        four_columns_avx2(x, y_reversed, m, c, sums);
    for (; c < columns; ++c) {
        int first = std::max(0, c - m + 1);
        int length = std::min(c, n - 1) - first + 1;
        one_column_avx2(x + first, y_reversed + (m - 1 - c + first), length, c, sums);
    }
}
#endif

thread_local std::vector<uint32_t> padded_a, reversed_b;
thread_local column_sums sums;

// The first `columns` column sums of a × b.
void sum_columns(const int32_t* a, int n, const int32_t* b, int m, int columns) {
    padded_a.assign(static_cast<size_t>(n) + padding, 0);
    reversed_b.assign(static_cast<size_t>(m) + padding, 0);
    std::copy(a, a + n, padded_a.begin());
    std::reverse_copy(b, b + m, reversed_b.begin());
    sums.low.resize(static_cast<size_t>(columns));
    sums.high.resize(static_cast<size_t>(columns));
#ifdef TALLIX_HAVE_AVX2_KERNEL
    if (avx2_kernels())
        column_sums_avx2(padded_a.data(), reversed_b.data(), n, m, columns, sums);
    else
#endif
        column_sums_portable(padded_a.data(), reversed_b.data(), n, m, columns, sums);
}

// The column sums as single 64-bit columns of the same value: with 2^32 =
// 4 × 10^9 + 294967296, the high half of column c gives 4 × high to column
// c - 1 and 294967296 × high to its own. Each column of k products is then
// below k × 6.87 × 10^16, within the 1.75 × 10^19 that
// columns_to_limbs_vector takes for k up to 255.
constexpr int most_products_to_combine = 255;
// Below this many columns the vector passes cost more than they save: the
// quotient's 18-column estimates ran 5 % faster carried one by one.
constexpr int fewest_columns_to_combine = 32;
thread_local std::vector<uint64_t> combined;

void combine_columns(int columns) {
    combined.assign(static_cast<size_t>(columns) + 4, 0);
    for (int c = 0; c < columns; ++c) {
        const uint64_t high_below = c + 1 < columns ? sums.high[c + 1] : 0;
        combined[c] = sums.high[c] * 294967296 + sums.low[c] + 4 * high_below;
    }
}

// Columns of at most 17 products, below 1.7 × 10^19, fit 64 bits whole.
// Each splits into limbs on its own, and so does each limb plus what the
// column below passes up, so that only a carry of 0 or 1 passes from limb to
// limb.
constexpr int most_products_whole = 17;

void carry_whole_columns(int32_t* z, int columns) {
    uint64_t high_below = 0, x_high_below = 0, carry = 0;
    for (int c = columns - 1; c >= 0; --c) {
        const uint64_t column = (sums.high[c] << 32) + sums.low[c];
        const uint64_t high = column / LIMB_BASE;
        const uint64_t x = column - high * LIMB_BASE + high_below;  // below 1.8 × 10^10
        const uint64_t x_high = x / LIMB_BASE;
        const uint64_t t = x - x_high * LIMB_BASE + x_high_below + carry;  // below 10^9 + 19
        carry = t >= uint64_t{LIMB_BASE};
        z[c + 1] = static_cast<int32_t>(carry ? t - LIMB_BASE : t);
        high_below = high;
        x_high_below = x_high;
    }
    z[0] = static_cast<int32_t>(high_below + x_high_below + carry);
}

// Carries the first `columns` column sums into limbs z[0 .. columns]: the
// exact value of those columns alone. `products` is the most in a column.
void carry_columns(int32_t* z, int columns, int products) {
    if (products <= most_products_to_combine && columns >= fewest_columns_to_combine) {
        combine_columns(columns);
        uint64_t above = 0;
        if (columns_to_limbs_vector(z + 1, combined.data(), columns, above)) {
            z[0] = static_cast<int32_t>(above + 4 * sums.high[0]);
            return;
        }
    }
    if (products <= most_products_whole) return carry_whole_columns(z, columns);
    // Column c holds the products that land in z[c + 1]. With high =
    // h1 × 10^9 + h0, a column is h1 × 2^32 × 10^9 + (h0 × 2^32 + low), and
    // the bracket plus the incoming carry stays below 2^63.
    uint64_t carry = 0;
    for (int c = columns - 1; c >= 0; --c) {
        uint64_t h1 = sums.high[c] / LIMB_BASE;
        uint64_t h0 = sums.high[c] - h1 * LIMB_BASE;
        uint64_t t = (h0 << 32) + sums.low[c] + carry;
        uint64_t over = t / LIMB_BASE;
        z[c + 1] = static_cast<int32_t>(t - over * LIMB_BASE);
        carry = over + (h1 << 32);
    }
    z[0] = static_cast<int32_t>(carry);
}

}  // namespace

void multiply_limbs_short(int32_t* z, const int32_t* a, int n, const int32_t* b, int m) {
    uint64_t carry = 0;
    for (int c = n + m - 2; c >= 0; --c) {
        const int last = std::min(c, n - 1);
        uint64_t sum = carry;
        for (int i = std::max(0, c - m + 1); i <= last; ++i)
            sum += uint64_t(static_cast<uint32_t>(a[i])) * static_cast<uint32_t>(b[c - i]);
        carry = sum / LIMB_BASE;
        z[c + 1] = static_cast<int32_t>(sum - carry * LIMB_BASE);
    }
    z[0] = static_cast<int32_t>(carry);
}

void multiply_limbs(int32_t* z, const int32_t* a, int n, const int32_t* b, int m) {
    if (std::min(n, m) < shortest_for_columns) return multiply_limbs_by_rows(z, a, n, b, m);
    sum_columns(a, n, b, m, n + m - 1);
    carry_columns(z, n + m - 1, std::min(n, m));
}

bool multiply_limbs_leading(int32_t* z, int keep, const int32_t* a, int n, const int32_t* b,
                            int m) {
    // Columns 0 .. keep give z[0 .. keep + 1]: the kept limbs and two tail
    // limbs. Without at least one column beyond them there is nothing to skip.
    const int columns = keep + 1;
    if (std::min(n, m) < shortest_for_columns || columns >= n + m - 1) {
        multiply_limbs(z, a, n, b, m);
        return true;
    }
    sum_columns(a, n, b, m, columns);
    carry_columns(z, columns, std::min(n, m));
    // Bound on the skipped columns: each holds at most min(n, m) products
    // below (B - 1)^2, B = 10^9, and column c + 1 weighs 1/B of column c, so
    // together they add less than min(n, m) × (B - 1) units of the last tail
    // limb. Only if that could carry out of the two tail limbs might a kept
    // limb differ from the full product's.
    const uint64_t base = LIMB_BASE;
    const uint64_t tail = uint64_t(z[keep]) * base + uint64_t(z[keep + 1]);
    const uint64_t reach = uint64_t(std::min(n, m)) * (base - 1);
    return tail + reach < base * base;
}

}  // namespace tallix
