#include "engine/number/limbs.h"

#include <algorithm>
#include <vector>

#include "engine/number/precision.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TALLIX_HAVE_AVX2_KERNEL 1
#endif

namespace tallix {

int32_t add_limbs(int32_t* r, const int32_t* s, int n) {
    int32_t carry = 0;
    for (int i = n - 1; i >= 0; --i) {
        int32_t t = r[i] + s[i] + carry;  // below 2 × 10^9 + 1: fits
        carry = t >= LIMB_BASE;
        r[i] = carry ? t - LIMB_BASE : t;
    }
    return carry;
}

int32_t subtract_limbs(int32_t* r, const int32_t* s, int n) {
    int32_t borrow = 0;
    for (int i = n - 1; i >= 0; --i) {
        int32_t t = r[i] - borrow - s[i] + LIMB_BASE;
        borrow = t < LIMB_BASE;
        r[i] = borrow ? t : t - LIMB_BASE;
    }
    return borrow;
}

int32_t addmul_limbs(int32_t* r, const int32_t* s, int n, int32_t m) {
    if (m == 0) return 0;
    uint64_t carry = 0;
    for (int i = n - 1; i >= 0; --i) {
        uint64_t t = static_cast<uint64_t>(s[i]) * static_cast<uint64_t>(m) +
                     static_cast<uint64_t>(r[i]) + carry;
        carry = t / LIMB_BASE;
        r[i] = static_cast<int32_t>(t - carry * LIMB_BASE);
    }
    return static_cast<int32_t>(carry);
}

int32_t submul_limbs(int32_t* r, const int32_t* s, int n, int32_t m) {
    if (m == 0) return 0;
    // Each product splits into limbs on its own; what passes from limb to limb
    // is the high part of the product to the right, known in advance, and a
    // borrow of 0 to 2, so the loop-carried work stays short.
    int64_t high_right = 0;
    int64_t borrow = 0;
    for (int i = n - 1; i >= 0; --i) {
        uint64_t p = static_cast<uint64_t>(s[i]) * static_cast<uint32_t>(m);
        int64_t high = static_cast<int64_t>(p / LIMB_BASE);
        int64_t low = static_cast<int64_t>(p) - high * LIMB_BASE;
        // The high part is at most 10^9 - 2, so x >= -2 × 10^9 + 1.
        int64_t x = r[i] - low - high_right - borrow;
        borrow = (x < 0) + (x < -LIMB_BASE);
        r[i] = static_cast<int32_t>(x + borrow * LIMB_BASE);
        high_right = high;
    }
    return static_cast<int32_t>(high_right + borrow);
}

int32_t div_step(int32_t* u, const int32_t* v, int n) {
    int64_t num = static_cast<int64_t>(u[0]) * LIMB_BASE + u[1];
    if (n == 1) {
        int64_t q = num / v[0];
        int64_t rem = num - q * v[0];
        u[0] = static_cast<int32_t>(rem / LIMB_BASE);
        u[1] = static_cast<int32_t>(rem % LIMB_BASE);
        return static_cast<int32_t>(q);
    }
    int64_t q = u[0] == v[0] ? LIMB_BASE - 1 : num / v[0];
    while (static_cast<int64_t>(v[1]) * q > (num - q * v[0]) * LIMB_BASE + u[2])
        --q;
    int32_t borrow = submul_limbs(u + 1, v, n, static_cast<int32_t>(q));
    int32_t t = u[0];
    u[0] = t - borrow;
    if (borrow == t) return static_cast<int32_t>(q);
    u[0] += add_limbs(u + 1, v, n);
    return static_cast<int32_t>(q - 1);
}

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
// vector blocks: every product past the column's end meets a zero.
constexpr int padding = 8;

void column_sums_portable(const uint32_t* x, const uint32_t* y_reversed, int n, int m,
                          column_sums& sums) {
    for (int c = 0; c < n + m - 1; ++c) {
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

// Eight products per block, two per 64-bit lane. A lane takes sixteen
// products (below 1.6 × 10^19) before it is split into the halves.
__attribute__((target("avx2"))) void column_sums_avx2(const uint32_t* x, const uint32_t* y_reversed,
                                                      int n, int m, column_sums& sums) {
    const __m256i low_mask = _mm256_set1_epi64x(0xffffffff);
    for (int c = 0; c < n + m - 1; ++c) {
        int first = std::max(0, c - m + 1);
        int length = std::min(c, n - 1) - first + 1;
        const uint32_t* xs = x + first;
        const uint32_t* ys = y_reversed + (m - 1 - c + first);
        int blocks = (length + 7) / 8;
        __m256i low = _mm256_setzero_si256();
        __m256i high = _mm256_setzero_si256();
        for (int b = 0; b < blocks;) {
            __m256i lane_sums = _mm256_setzero_si256();
            for (int end = std::min(blocks, b + 8); b < end; ++b) {
                __m256i xv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(xs + 8 * b));
                __m256i yv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ys + 8 * b));
                lane_sums = _mm256_add_epi64(lane_sums, _mm256_mul_epu32(xv, yv));
                lane_sums = _mm256_add_epi64(
                    lane_sums,
                    _mm256_mul_epu32(_mm256_srli_epi64(xv, 32), _mm256_srli_epi64(yv, 32)));
            }
            low = _mm256_add_epi64(low, _mm256_and_si256(lane_sums, low_mask));
            high = _mm256_add_epi64(high, _mm256_srli_epi64(lane_sums, 32));
        }
        sums.low[c] = horizontal_sum(low);
        sums.high[c] = horizontal_sum(high);
    }
}

bool avx2_available() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}
#endif

thread_local std::vector<uint32_t> padded_a, reversed_b;
thread_local column_sums sums;

}  // namespace

void multiply_limbs(int32_t* z, const int32_t* a, int n, const int32_t* b, int m) {
    // Short operands: rows of addmul_limbs cost less than setting up columns.
    if (std::min(n, m) < 8) {
        std::fill_n(z, n + m, 0);
        for (int j = m - 1; j >= 0; --j)
            z[j] += addmul_limbs(z + j + 1, a, n, b[j]);
        return;
    }
    padded_a.assign(static_cast<size_t>(n) + padding, 0);
    reversed_b.assign(static_cast<size_t>(m) + padding, 0);
    std::copy(a, a + n, padded_a.begin());
    std::reverse_copy(b, b + m, reversed_b.begin());
    sums.low.resize(static_cast<size_t>(n) + m);
    sums.high.resize(static_cast<size_t>(n) + m);
#ifdef TALLIX_HAVE_AVX2_KERNEL
    if (avx2_available())
        column_sums_avx2(padded_a.data(), reversed_b.data(), n, m, sums);
    else
#endif
        column_sums_portable(padded_a.data(), reversed_b.data(), n, m, sums);

    // Column c holds the products that land in z[c + 1]. With high =
    // h1 × 10^9 + h0, a column is h1 × 2^32 × 10^9 + (h0 × 2^32 + low), and
    // the bracket plus the incoming carry stays below 2^63.
    uint64_t carry = 0;
    for (int c = n + m - 2; c >= 0; --c) {
        uint64_t h1 = sums.high[c] / LIMB_BASE;
        uint64_t h0 = sums.high[c] - h1 * LIMB_BASE;
        uint64_t t = (h0 << 32) + sums.low[c] + carry;
        uint64_t over = t / LIMB_BASE;
        z[c + 1] = static_cast<int32_t>(t - over * LIMB_BASE);
        carry = over + (h1 << 32);
    }
    z[0] = static_cast<int32_t>(carry);
}

namespace {

// Quotient limbs found per block: enough that the block's product with the
// divisor runs in vector loops, few enough that estimating the block by
// single-limb steps stays cheap. A column of a block's product holds at most
// this many products, below 1.6 × 10^19, so it fits 64 bits unsplit.
constexpr int division_block = 16;

thread_local std::vector<int32_t> block_window, block_quotient;
thread_local std::vector<uint64_t> block_columns;

void add_rows_portable(uint64_t* columns, const int32_t* e, int k, const int32_t* v, int n) {
    for (int r = 0; r < k; ++r) {
        uint64_t m = static_cast<uint32_t>(e[r]);
        uint64_t* row = columns + r + 1;
        for (int j = 0; j < n; ++j)
            row[j] += m * static_cast<uint32_t>(v[j]);
    }
}

#ifdef TALLIX_HAVE_AVX2_KERNEL
__attribute__((target("avx2"))) void add_rows_avx2(uint64_t* columns, const int32_t* e, int k,
                                                   const int32_t* v, int n) {
    for (int r = 0; r < k; ++r) {
        __m256i m = _mm256_set1_epi64x(static_cast<uint32_t>(e[r]));
        uint64_t* row = columns + r + 1;
        int j = 0;
        for (; j + 4 <= n; j += 4) {
            __m256i vj =
                _mm256_cvtepu32_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v + j)));
            __m256i* out = reinterpret_cast<__m256i*>(row + j);
            _mm256_storeu_si256(out,
                                _mm256_add_epi64(_mm256_loadu_si256(out), _mm256_mul_epu32(m, vj)));
        }
        for (; j < n; ++j)
            row[j] +=
                static_cast<uint64_t>(static_cast<uint32_t>(e[r])) * static_cast<uint32_t>(v[j]);
    }
}
#endif

// u (n + k limbs) -= e (k limbs) × v (n limbs). Returns 1 when the result is
// negative; u then holds it plus 10^(9(n + k)), as subtract_limbs leaves it.
// Each column is split into limbs on its own, so the only value carried from
// limb to limb is a borrow of 0 or 1.
int32_t subtract_product(int32_t* u, const int32_t* e, int k, const int32_t* v, int n) {
    const int w = n + k;
    block_columns.assign(static_cast<size_t>(w), 0);
    uint64_t* columns = block_columns.data();
#ifdef TALLIX_HAVE_AVX2_KERNEL
    if (avx2_available())
        add_rows_avx2(columns, e, k, v, n);
    else
#endif
        add_rows_portable(columns, e, k, v, n);

    // x = u[c] - (column c mod 10^9) - (column c + 1 div 10^9) lies in
    // (-17 × 10^9, 10^9); shifted by 17 × 10^9 it splits without signs.
    constexpr int64_t shift = 17 * int64_t{LIMB_BASE};
    int64_t column_high_below = 0;  // column c + 1 div 10^9
    int64_t x_high_below = 0;       // x[c + 1] div 10^9, at most 0
    int32_t borrow = 0;
    for (int c = w - 1; c >= 0; --c) {
        // A column may pass 2^63: split it unsigned.
        const uint64_t column_high = columns[c] / LIMB_BASE;
        int64_t high = static_cast<int64_t>(column_high);
        int64_t low = static_cast<int64_t>(columns[c] - column_high * LIMB_BASE);
        uint64_t t = static_cast<uint64_t>(u[c] - low - column_high_below + shift);
        int64_t t_high = static_cast<int64_t>(t / LIMB_BASE);
        int64_t y = static_cast<int64_t>(t) - t_high * LIMB_BASE + x_high_below - borrow;
        borrow = y < 0;
        u[c] = static_cast<int32_t>(borrow ? y + LIMB_BASE : y);
        column_high_below = high;
        x_high_below = t_high - 17;
    }
    return x_high_below - borrow < 0;
}

bool less_than(const int32_t* x, const int32_t* y, int n) {
    for (int i = 0; i < n; ++i) {
        if (x[i] != y[i]) return x[i] < y[i];
    }
    return false;
}

// k quotient limbs at once, by long division in base 10^(9k): the estimate
// from the window's first 2k limbs and the divisor's first k is never too
// small and at most two too large, because the divisor is normalised.
void divide_block(int32_t* q, int32_t* u, const int32_t* v, int n, int k) {
    block_quotient.resize(static_cast<size_t>(k));
    int32_t* estimate = block_quotient.data();
    if (less_than(u, v, k)) {
        block_window.assign(u, u + 2 * k);
        for (int j = 0; j < k; ++j)
            estimate[j] = div_step(block_window.data() + j, v, k);
    } else {
        std::fill_n(estimate, k, LIMB_BASE - 1);
    }
    int32_t negative = subtract_product(u, estimate, k, v, n);
    while (negative) {
        int32_t carry = add_limbs(u + k, v, n);
        for (int j = k - 1; carry && j >= 0; --j) {
            carry = u[j] == LIMB_BASE - 1;
            u[j] = carry ? 0 : u[j] + 1;
        }
        if (carry) negative = 0;
        int j = k - 1;
        while (estimate[j] == 0)
            estimate[j--] = LIMB_BASE - 1;
        --estimate[j];
    }
    std::copy(estimate, estimate + k, q);
}

}  // namespace

void divide_limbs(int32_t* q, int32_t* u, const int32_t* v, int n, int count) {
    if (n < 2 * division_block) {
        for (int i = 0; i < count; ++i)
            q[i] = div_step(u + i, v, n);
        return;
    }
    for (int i = 0; i < count; i += division_block) {
        divide_block(q + i, u + i, v, n, std::min(division_block, count - i));
    }
}

}  // namespace tallix
