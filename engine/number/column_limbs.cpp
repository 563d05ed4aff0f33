#include "engine/number/column_limbs.h"

#include <algorithm>
#include <vector>

#include "engine/number/kernels.h"
#include "engine/number/precision.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TALLIX_HAVE_AVX2_KERNEL 1
#endif

namespace tallix {

// Each column is split into limbs on its own, so the only value carried from
// limb to limb is a borrow of 0 or 1.
int32_t subtract_columns_portable(int32_t* u, const uint64_t* columns, int w) {
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

#ifdef TALLIX_HAVE_AVX2_KERNEL
namespace {

// 2^52 as a double and as its bit pattern: a whole number below 2^52 put in
// the mantissa of 2^52 is 2^52 more than itself.
constexpr double two_52 = 4503599627370496.0;
constexpr int64_t two_52_bits = 0x4330000000000000;

#define TALLIX_VECTOR __attribute__((target("avx2,fma")))

TALLIX_VECTOR inline __m256d to_double(__m256i below_2_52) {
    const __m256i bits = _mm256_or_si256(below_2_52, _mm256_set1_epi64x(two_52_bits));
    return _mm256_sub_pd(_mm256_castsi256_pd(bits), _mm256_set1_pd(two_52));
}

// x × 10^-9 rounded to the nearest whole number, for x × 10^-9 below 2^51.
TALLIX_VECTOR inline __m256i rounded_quotient(__m256d x) {
    const __m256d shifted = _mm256_fmadd_pd(x, _mm256_set1_pd(1e-9), _mm256_set1_pd(two_52));
    return _mm256_sub_epi64(_mm256_castpd_si256(shifted), _mm256_set1_epi64x(two_52_bits));
}

// x - q × 10^9, which wraps in 64 bits to its true value when that is
// small. q × 10^9 comes from q's 32-bit halves unless q fits 32 bits.
template <bool q_fits_32_bits>
TALLIX_VECTOR inline __m256i remainder(__m256i x, __m256i q) {
    const __m256i base = _mm256_set1_epi64x(LIMB_BASE);
    __m256i q_times_base = _mm256_mul_epu32(q, base);
    if (!q_fits_32_bits) {
        const __m256i upper = _mm256_mul_epu32(_mm256_srli_epi64(q, 32), base);
        q_times_base = _mm256_add_epi64(q_times_base, _mm256_slli_epi64(upper, 32));
    }
    return _mm256_sub_epi64(x, q_times_base);
}

// From q the floor of x / 10^9 or one more, and r = x - q × 10^9: the floor
// and x mod 10^9.
TALLIX_VECTOR inline void to_floor(__m256i& q, __m256i& r) {
    const __m256i negative = _mm256_cmpgt_epi64(_mm256_setzero_si256(), r);
    q = _mm256_add_epi64(q, negative);
    r = _mm256_add_epi64(r, _mm256_and_si256(negative, _mm256_set1_epi64x(LIMB_BASE)));
}

// Four columns split into q × 10^9 + r: the column as a double from its two
// exact 32-bit halves, one rounding, then scaled by 10^-9 with one more
// (10^-9 itself being off by less than 2^-53 relative): within 3 × 2^-53
// relative of the quotient, below 2 × 10^10, so off by less than 10^-5, and
// rounded to the nearest whole number it is the floor or one more. So r lies
// in [-10^9, 10^9), or with `floor` in [0, 10^9).
template <bool floor>
TALLIX_VECTOR inline void split_columns(const uint64_t* columns, uint64_t* high, uint64_t* low) {
    const __m256i column = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(columns));
    const __m256d upper = to_double(_mm256_srli_epi64(column, 32));
    const __m256i lower_bits = _mm256_blend_epi32(column, _mm256_set1_epi64x(two_52_bits), 0xaa);
    const __m256d lower = _mm256_sub_pd(_mm256_castsi256_pd(lower_bits), _mm256_set1_pd(two_52));
    const __m256d value = _mm256_fmadd_pd(upper, _mm256_set1_pd(4294967296.0), lower);
    __m256i q = rounded_quotient(value);
    __m256i r = remainder<false>(column, q);
    if (floor) to_floor(q, r);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(high), q);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(low), r);
}

// With x = u - (r + the next column's q) + 20 × 10^9, in (0, 22 × 10^9):
// exact in a double, and scaled by 10^-9 with one rounding (and 10^-9's
// own) it is off by far less than 10^-6, so rounding gives the nearest whole
// number to x / 10^9, at most 22, and x - 10^9 times it lies within 10^9 / 2
// + 1 of 0.
TALLIX_VECTOR inline void split_differences(const int32_t* u, const uint64_t* low,
                                            const uint64_t* high_below, uint64_t* x_high,
                                            uint64_t* x_low) {
    const __m256i limbs =
        _mm256_cvtepi32_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(u)));
    const __m256i subtracted =
        _mm256_add_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(low)),
                         _mm256_loadu_si256(reinterpret_cast<const __m256i*>(high_below)));
    const __m256i x = _mm256_sub_epi64(
        _mm256_add_epi64(limbs, _mm256_set1_epi64x(20 * int64_t{LIMB_BASE})), subtracted);
    const __m256i q = rounded_quotient(to_double(x));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(x_high), q);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(x_low), remainder<true>(x, q));
}

TALLIX_VECTOR inline __m256i load(const uint64_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Limbs c to c + 3 of u - columns, from z = x's remainder + the high part
// of x[c + 1] - 20, within 10^9 / 2 + 21 of 0, taking a borrow from each
// limb whose z below is negative. That is the true borrow unless a borrow
// runs on through a z of 0; the lanes where it might are marked in `unsure`.
TALLIX_VECTOR inline void settle_four(const uint64_t* high, const uint64_t* low, int32_t* limbs,
                                      __m256i& unsure) {
    const __m256i twenty = _mm256_set1_epi64x(20);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i z = _mm256_sub_epi64(_mm256_add_epi64(load(low), load(high + 1)), twenty);
    const __m256i z_below =
        _mm256_sub_epi64(_mm256_add_epi64(load(low + 1), load(high + 2)), twenty);
    // -1 where the limb below borrows.
    const __m256i y = _mm256_add_epi64(z, _mm256_cmpgt_epi64(zero, z_below));
    const __m256i negative = _mm256_cmpgt_epi64(zero, y);
    unsure = _mm256_or_si256(unsure, _mm256_xor_si256(negative, _mm256_cmpgt_epi64(zero, z)));
    const __m256i limb =
        _mm256_add_epi64(y, _mm256_and_si256(negative, _mm256_set1_epi64x(LIMB_BASE)));
    const __m256i packed =
        _mm256_permutevar8x32_epi32(limb, _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(limbs), _mm256_castsi256_si128(packed));
}

thread_local std::vector<uint64_t> column_high, column_low;
thread_local std::vector<int32_t> padded_u;

// Column c splits into q × 10^9 + r, r within 10^9 of 0 and q below 2 ×
// 10^10, and q joins column c - 1. What is left of u[c], x, shifted to be
// positive, splits again into a remainder within 10^9 / 2 + 1 of 0 and a
// high part of at most 22 that joins x[c - 1]; so each limb takes from the
// next one down at most a borrow of 1. Both splits round to the nearest
// multiple of 10^9 rather than down, which saves correcting them.
TALLIX_VECTOR int32_t subtract_split(int32_t* u, const uint64_t* columns, int w) {
    const size_t room = static_cast<size_t>(w) + 8;
    column_high.resize(room);
    column_low.resize(room);
    padded_u.assign(u, u + w);
    padded_u.resize(room);
    uint64_t* high = column_high.data();
    uint64_t* low = column_low.data();
    // Column w is zero, so high[w] is; column 0, below 10^9, may give 1.
    for (int c = 0; c <= w; c += 4)
        split_columns<false>(columns + c, high + c, low + c);
    const int64_t above = static_cast<int64_t>(high[0]);
    // x = high × 10^9 + low, in place: block c reads
    // high[c + 1 .. c + 4], which block c + 4 has not yet overwritten.
    for (int c = 0; c < w; c += 4)
        split_differences(padded_u.data() + c, low + c, high + c + 1, high + c, low + c);
    // Past the last limb x is 20 × 10^9 + 0: nothing taken, no borrow.
    std::fill(high + w, high + room, 20);
    std::fill(low + w, low + room, 0);
    __m256i unsure = _mm256_setzero_si256();
    for (int c = 0; c < w; c += 4)
        settle_four(high + c, low + c, padded_u.data() + c, unsure);
    int64_t borrow = 0;
    if (_mm256_testz_si256(unsure, unsure)) {
        std::copy_n(padded_u.data(), w, u);
        borrow = static_cast<int64_t>(low[0] + high[1]) - 20 < 0;
    } else {
        for (int c = w - 1; c >= 0; --c) {
            const int64_t y = static_cast<int64_t>(low[c] + high[c + 1]) - 20 - borrow;
            borrow = y < 0;
            u[c] = static_cast<int32_t>(borrow ? y + LIMB_BASE : y);
        }
    }
    // u - columns = the limbs + (x[0]'s high - 20 - above - borrow) × 10^(9w).
    return static_cast<int64_t>(high[0]) - 20 - above - borrow < 0;
}

// x = low + the next column's high, below 10^9 + 1.75 × 10^10: exact in a
// double, so split as in split_differences.
TALLIX_VECTOR inline void split_sums(const uint64_t* low, const uint64_t* high_below,
                                     uint64_t* x_high, uint64_t* x_low) {
    const __m256i x = _mm256_add_epi64(load(low), load(high_below));
    __m256i q = rounded_quotient(to_double(x));
    __m256i r = remainder<true>(x, q);
    to_floor(q, r);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(x_high), q);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(x_low), r);
}

// Limbs c to c + 3 from f = x mod 10^9 + (x[c + 1] div 10^9), at most
// 10^9 + 17, taking a carry from each limb whose f below passes 10^9 - 1.
// That is the true carry unless a carry runs on through an f of 10^9 - 1;
// the lanes where it might are marked in `unsure`.
TALLIX_VECTOR inline void carry_four(const uint64_t* high, const uint64_t* low, int32_t* limbs,
                                     __m256i& unsure) {
    const __m256i largest = _mm256_set1_epi64x(LIMB_BASE - 1);
    const __m256i f = _mm256_add_epi64(load(low), load(high + 1));
    const __m256i f_below = _mm256_add_epi64(load(low + 1), load(high + 2));
    // -1 where the limb below carries.
    const __m256i y = _mm256_sub_epi64(f, _mm256_cmpgt_epi64(f_below, largest));
    const __m256i over = _mm256_cmpgt_epi64(y, largest);
    unsure = _mm256_or_si256(unsure, _mm256_xor_si256(over, _mm256_cmpgt_epi64(f, largest)));
    const __m256i limb = _mm256_sub_epi64(y, _mm256_and_si256(over, _mm256_set1_epi64x(LIMB_BASE)));
    const __m256i packed =
        _mm256_permutevar8x32_epi32(limb, _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(limbs), _mm256_castsi256_si128(packed));
}

thread_local std::vector<int32_t> padded_z;

// As subtract_split, with x = low + the next column's high and no shift.
TALLIX_VECTOR uint64_t carry_split(int32_t* z, const uint64_t* columns, int w) {
    const size_t room = static_cast<size_t>(w) + 8;
    column_high.resize(room);
    column_low.resize(room);
    padded_z.resize(room);
    uint64_t* high = column_high.data();
    uint64_t* low = column_low.data();
    for (int c = 0; c <= w; c += 4)
        split_columns<true>(columns + c, high + c, low + c);
    const uint64_t top = high[0];
    for (int c = 0; c < w; c += 4)
        split_sums(low + c, high + c + 1, high + c, low + c);
    // Past the last limb there is nothing to carry.
    std::fill(high + w, high + room, 0);
    std::fill(low + w, low + room, 0);
    __m256i unsure = _mm256_setzero_si256();
    for (int c = 0; c < w; c += 4)
        carry_four(high + c, low + c, padded_z.data() + c, unsure);
    uint64_t carry = 0;
    if (_mm256_testz_si256(unsure, unsure)) {
        std::copy_n(padded_z.data(), w, z);
        carry = low[0] + high[1] >= uint64_t{LIMB_BASE};
    } else {
        for (int c = w - 1; c >= 0; --c) {
            const uint64_t y = low[c] + high[c + 1] + carry;
            carry = y >= uint64_t{LIMB_BASE};
            z[c] = static_cast<int32_t>(carry ? y - LIMB_BASE : y);
        }
    }
    return top + high[0] + carry;
}

thread_local std::vector<uint64_t> limb_products;

TALLIX_VECTOR void multiply_by_limb(int32_t* r, const int32_t* s, int n, int32_t m) {
    limb_products.resize(static_cast<size_t>(n) + 8);
    uint64_t* products = limb_products.data();
    const __m256i multiplier = _mm256_set1_epi64x(static_cast<uint32_t>(m));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m256i four =
            _mm256_cvtepu32_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(products + i),
                            _mm256_mul_epu32(four, multiplier));
    }
    for (; i < n; ++i)
        products[i] = uint64_t{static_cast<uint32_t>(s[i])} * static_cast<uint32_t>(m);
    std::fill(products + n, products + n + 8, 0);
    r[0] = static_cast<int32_t>(carry_split(r + 1, products, n));
}

bool vectors_available() {
    static const bool fma = __builtin_cpu_supports("fma");
    return fma && avx2_kernels();
}

}  // namespace

bool columns_to_limbs_vector(int32_t* z, const uint64_t* columns, int w, uint64_t& above) {
    if (!vectors_available()) return false;
    above = carry_split(z, columns, w);
    return true;
}

bool multiply_by_limb_vector(int32_t* r, const int32_t* s, int n, int32_t m) {
    if (!vectors_available()) return false;
    multiply_by_limb(r, s, n, m);
    return true;
}

int32_t subtract_columns_vector(int32_t* u, const uint64_t* columns, int w) {
    if (!vectors_available()) return -1;
    return subtract_split(u, columns, w);
}
#else
bool multiply_by_limb_vector(int32_t*, const int32_t*, int, int32_t) {
    return false;
}

bool columns_to_limbs_vector(int32_t*, const uint64_t*, int, uint64_t&) {
    return false;
}

int32_t subtract_columns_vector(int32_t*, const uint64_t*, int) {
    return -1;
}
#endif

}  // namespace tallix
