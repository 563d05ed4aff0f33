#include "engine/number/quotient.h"

#include <algorithm>
#include <vector>

#include "engine/number/column_limbs.h"
#include "engine/number/kernels.h"
#include "engine/number/limbs.h"
#include "engine/number/precision.h"
#include "engine/number/product.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TALLIX_HAVE_AVX2_KERNEL 1
#endif

namespace tallix {

namespace {

// A block has enough limbs that its product with the divisor runs in vector
// loops, few enough that estimating it by single-limb steps stays cheap. A
// column of a block's product holds at most division_block products, below
// 1.6 × 10^19, so it fits 64 bits unsplit.
static_assert(division_block <= 18);

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
// Rows are added four at a time, so that each column is loaded and stored
// once per four rows. The divisor is widened to 64-bit lanes with zeros
// around it, so every row reads whole vectors; missing rows multiply by 0.
// Columns up to k + n + 6 are written: subtract_product leaves room.
constexpr int rows_at_once = 4;
constexpr int column_room = 8;

thread_local std::vector<uint64_t> widened_divisor;

__attribute__((target("avx2"))) void widen(uint64_t* wide, const int32_t* v, int n) {
    int j = 0;
    for (; j + 4 <= n; j += 4) {
        __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + j));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(wide + j), _mm256_cvtepu32_epi64(four));
    }
    for (; j < n; ++j)
        wide[j] = static_cast<uint32_t>(v[j]);
}

__attribute__((target("avx2"))) inline __m256i row_term(__m256i m, const uint64_t* wide) {
    return _mm256_mul_epu32(m, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(wide)));
}

__attribute__((target("avx2"))) inline __m256i multiplier(const int32_t* e, int k, int r) {
    return _mm256_set1_epi64x(r < k ? static_cast<uint32_t>(e[r]) : 0);
}

// Widened once per division, for all of its blocks.
void widen_divisor(const int32_t* v, int n) {
    if (!avx2_kernels()) return;
    widened_divisor.assign(static_cast<size_t>(n) + 3 * rows_at_once, 0);
    widen(widened_divisor.data() + rows_at_once, v, n);
}

// The first n limbs of the widened divisor, rows of e times them added to
// the columns. A block that uses fewer limbs than were widened must read
// zeros past them, so those lanes are cleared for it and restored after.
__attribute__((target("avx2"))) void add_rows_avx2(uint64_t* columns, const int32_t* e, int k,
                                                   int n) {
    constexpr int rows = rows_at_once;
    uint64_t* wide = widened_divisor.data() + rows;
    uint64_t past_end[2 * rows];
    std::copy_n(wide + n, 2 * rows, past_end);
    std::fill_n(wide + n, 2 * rows, 0);
    for (int r = 0; r < k; r += rows) {
        const __m256i m0 = multiplier(e, k, r), m1 = multiplier(e, k, r + 1),
                      m2 = multiplier(e, k, r + 2), m3 = multiplier(e, k, r + 3);
        uint64_t* out = columns + r + 1;
        for (int t = 0; t < n + rows - 1; t += 4) {
            __m256i* column = reinterpret_cast<__m256i*>(out + t);
            __m256i sum = _mm256_add_epi64(row_term(m0, wide + t), row_term(m1, wide + t - 1));
            sum = _mm256_add_epi64(sum, row_term(m2, wide + t - 2));
            sum = _mm256_add_epi64(sum, row_term(m3, wide + t - 3));
            _mm256_storeu_si256(column, _mm256_add_epi64(_mm256_loadu_si256(column), sum));
        }
    }
    std::copy_n(past_end, 2 * rows, wide + n);
}
#else
constexpr int column_room = 0;

void widen_divisor(const int32_t*, int) {}
#endif

// u (n + k limbs) -= e (k limbs) × v (n limbs), v the first n limbs of the
// divisor given to widen_divisor. Returns 1 when the result is negative; u
// then holds it plus 10^(9(n + k)), as subtract_limbs leaves it.
int32_t subtract_product(int32_t* u, const int32_t* e, int k, const int32_t* v, int n) {
    const int w = n + k;
    block_columns.assign(static_cast<size_t>(w) + column_room, 0);
    uint64_t* columns = block_columns.data();
#ifdef TALLIX_HAVE_AVX2_KERNEL
    if (avx2_kernels()) {
        add_rows_avx2(columns, e, k, n);
        const int32_t negative = subtract_columns_vector(u, columns, w);
        if (negative >= 0) return negative;
    } else
#endif
        add_rows_portable(columns, e, k, v, n);
    return subtract_columns_portable(u, columns, w);
}

bool less_than(const int32_t* x, const int32_t* y, int n) {
    for (int i = 0; i < n; ++i) {
        if (x[i] != y[i]) return x[i] < y[i];
    }
    return false;
}

// The quotient of the window's first 2k limbs by the divisor's first k, by
// single-limb steps.
void estimate_by_steps(int32_t* estimate, const int32_t* u, const int32_t* v, int k) {
    block_window.assign(u, u + 2 * k);
    for (int j = 0; j < k; ++j)
        estimate[j] = div_step(block_window.data() + j, v, k);
}

// Y = floor(B^(2k + 1) / V), k = division_block, B = 10^9, V the divisor's
// first k limbs: k + 2 limbs, the first at most 2 since V >= B^k / 2.
struct block_reciprocal {
    int32_t limbs[division_block + 2];
};

block_reciprocal reciprocal_of(const int32_t* v) {
    constexpr int k = division_block;
    int32_t window[2 * k + 2] = {1};
    block_reciprocal y;
    divide_limbs_by_steps(y.limbs, window, v, k, k + 2);
    return y;
}

thread_local std::vector<int32_t> estimate_product;

// The same estimate as estimate_by_steps or one below, from a product instead
// of k division steps. With X = U / V (U the window's first 2k limbs, V the
// divisor's first k), T the window's first k + 1 limbs (T B^(k-1) <= U <
// (T + 1) B^(k-1)) and Y as above (B^(2k+1) / V - 1 < Y <= B^(2k+1) / V),
// T Y / B^(k+2) <= X, and it exceeds X - B^(k-1) / V - U / B^(2k+1) > X - 3 /
// B. So its floor is floor(X) unless X lies within 3 / B above an integer.
void estimate_by_reciprocal(int32_t* estimate, const int32_t* u, const block_reciprocal& y) {
    constexpr int k = division_block;
    estimate_product.resize(2 * k + 3);
    int32_t* z = estimate_product.data();
    if (!multiply_limbs_leading(z, k + 1, u, k + 1, y.limbs, k + 2))
        multiply_limbs(z, u, k + 1, y.limbs, k + 2);
    // The first limb is 0: the estimate is below X < B^k.
    std::copy(z + 1, z + k + 1, estimate);
}

// The block's limbs start at or below their true value when estimated from
// the reciprocal, at or above it otherwise.
void raise_estimate(int32_t* estimate, int32_t* u, const int32_t* v, int n, int k) {
    auto below_divisor = [&] {
        return std::all_of(u, u + k, [](int32_t limb) { return limb == 0; }) &&
               less_than(u + k, v, n);
    };
    while (!below_divisor()) {
        int32_t borrow = subtract_limbs(u + k, v, n);
        for (int j = k - 1; borrow && j >= 0; --j) {
            borrow = u[j] == 0;
            u[j] = borrow ? LIMB_BASE - 1 : u[j] - 1;
        }
        int j = k - 1;
        while (estimate[j] == LIMB_BASE - 1)
            estimate[j--] = 0;
        ++estimate[j];
    }
}

void lower_estimate(int32_t* estimate, int32_t* u, const int32_t* v, int n, int k) {
    int32_t negative = 1;
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
}

// k quotient limbs at once, by long division in base 10^(9k): the estimate
// from the window's first 2k limbs and the divisor's first k is never too
// small and at most two too large, because the divisor is normalised; the one
// from a reciprocal is at most one below it. A reciprocal, when given, must
// be that of v's first division_block limbs.
void divide_block(int32_t* q, int32_t* u, const int32_t* v, int n, int k,
                  const block_reciprocal* reciprocal) {
    block_quotient.resize(static_cast<size_t>(k));
    int32_t* estimate = block_quotient.data();
    const bool head_below = less_than(u, v, k);
    const bool from_reciprocal = head_below && reciprocal != nullptr && k == division_block;
    if (from_reciprocal)
        estimate_by_reciprocal(estimate, u, *reciprocal);
    else if (head_below)
        estimate_by_steps(estimate, u, v, k);
    else
        std::fill_n(estimate, k, LIMB_BASE - 1);
    if (subtract_product(u, estimate, k, v, n)) lower_estimate(estimate, u, v, n, k);
    if (from_reciprocal) raise_estimate(estimate, u, v, n, k);
    std::copy(estimate, estimate + k, q);
}

// Computing the reciprocal costs about one block's estimate by steps.
bool reciprocal_pays(int count) {
    return count >= 2 * division_block;
}

thread_local std::vector<int32_t> leading_window, leading_quotient;

// div_step on a one-limb divisor, with the quotient limb estimated by a
// reciprocal in doubles instead of a hardware division. The window value
// is below v × 10^9 <= 10^18 < 2^60 and the estimate is off by less than
// 2^-50 of a quotient below 10^9, so within one of the true limb; the
// remainder then decides it exactly.
void divide_by_limb_chained(int32_t* q, int32_t* u, int32_t v, int count) {
    const double reciprocal = 1.0 / v;
    int64_t remainder = u[0];
    for (int i = 0; i < count; ++i) {
        const int64_t window = remainder * LIMB_BASE + u[i + 1];
        int64_t limb = static_cast<int64_t>(static_cast<double>(window) * reciprocal);
        remainder = window - limb * v;
        while (remainder < 0) {
            --limb;
            remainder += v;
        }
        while (remainder >= v) {
            ++limb;
            remainder -= v;
        }
        q[i] = static_cast<int32_t>(limb);
        u[i] = 0;
    }
    u[count] = static_cast<int32_t>(remainder);
}

// When v divides 10^9, so does every multiple of 10^9, and what the window
// up to limb i leaves over is just u[i] mod v: each quotient limb follows
// from two window limbs, with nothing passed from limb to limb, so the loop
// runs as fast as the processor can issue it instead of as one long chain.
// Halving, the commonest such division, is spelled out so that it needs no
// division instruction and runs in vector registers.
template <uint32_t fixed_v>
void divide_by_base_divisor(int32_t* __restrict q, int32_t* __restrict u, uint32_t v, int count) {
    if (fixed_v != 0) v = fixed_v;
    const uint32_t share = LIMB_BASE / v;
    for (int i = 0; i < count; ++i) {
        const uint32_t high = static_cast<uint32_t>(u[i]);
        const uint32_t low = static_cast<uint32_t>(u[i + 1]);
        q[i] = static_cast<int32_t>(high % v * share + low / v);
    }
    const uint32_t remainder = static_cast<uint32_t>(u[count]) % v;
    std::fill_n(u, count, 0);
    u[count] = static_cast<int32_t>(remainder);
}

// x div d and x mod d for x below 2^63, from m = floor((2^64 - 1) / d): the
// high half of x × m lies within 2 below x / d, so at most two subtractions
// of d settle the remainder. A multiplication has a third of a division's
// latency, which is what a chain of remainders waits for.
struct limb_divisor {
    uint64_t d;
    uint64_t m;
    explicit limb_divisor(uint64_t divisor) : d(divisor), m(~uint64_t{0} / divisor) {}
    uint64_t quotient(uint64_t x, uint64_t& remainder) const {
        uint64_t q = static_cast<uint64_t>((static_cast<unsigned __int128>(x) * m) >> 64);
        remainder = x - q * d;
        while (remainder >= d) {
            remainder -= d;
            ++q;
        }
        return q;
    }
};

thread_local std::vector<uint64_t> even_remainders;

// The remainder left by the window up to limb i + 2 follows from the one up
// to limb i and the two limbs after it: r × (10^18 mod v) + those two limbs,
// below 2 × 10^18, taken mod v. So the chain of remainders takes two limbs
// per step; the quotient limbs then come from the remainders at even limbs,
// each pair on its own, so that the processor overlaps them.
void divide_by_limb_in_pairs(int32_t* q, int32_t* u, int32_t v, int count) {
    const limb_divisor d(static_cast<uint64_t>(v));
    const uint64_t base = LIMB_BASE;
    const uint64_t base_mod = base % d.d;
    const uint64_t base_squared_mod = base_mod * base_mod % d.d;
    even_remainders.resize(static_cast<size_t>(count) / 2 + 1);
    uint64_t r = static_cast<uint64_t>(u[0]);
    even_remainders[0] = r;
    for (int i = 0; i + 2 <= count; i += 2) {
        const uint64_t x = r * base_squared_mod + static_cast<uint64_t>(u[i + 1]) * base +
                           static_cast<uint64_t>(u[i + 2]);
        d.quotient(x, r);
        even_remainders[static_cast<size_t>(i / 2 + 1)] = r;
    }
    uint64_t last = 0;
    for (int i = 0; i < count; i += 2) {
        uint64_t r_odd = 0;
        const uint64_t window =
            even_remainders[static_cast<size_t>(i / 2)] * base + static_cast<uint64_t>(u[i + 1]);
        q[i] = static_cast<int32_t>(d.quotient(window, r_odd));
        last = r_odd;
        if (i + 1 < count) {
            const uint64_t next = r_odd * base + static_cast<uint64_t>(u[i + 2]);
            q[i + 1] = static_cast<int32_t>(d.quotient(next, last));
        }
    }
    std::fill_n(u, count, 0);
    u[count] = static_cast<int32_t>(last);
}

// Below this many limbs the setting up of steps of two limbs costs more than
// the steps save.
constexpr int fewest_limbs_in_pairs = 8;

void divide_by_limb(int32_t* q, int32_t* u, int32_t v, int count) {
    if (v == 2) return divide_by_base_divisor<2>(q, u, 2, count);
    if (LIMB_BASE % v == 0) return divide_by_base_divisor<0>(q, u, static_cast<uint32_t>(v), count);
    if (count >= fewest_limbs_in_pairs) return divide_by_limb_in_pairs(q, u, v, count);
    divide_by_limb_chained(q, u, v, count);
}

}  // namespace

void divide_limbs_by_steps(int32_t* q, int32_t* u, const int32_t* v, int n, int count) {
    for (int i = 0; i < count; ++i)
        q[i] = div_step(u + i, v, n);
}

void divide_limbs(int32_t* q, int32_t* u, const int32_t* v, int n, int count) {
    if (n == 1) return divide_by_limb(q, u, v[0], count);
    if (n < shortest_for_blocks) return divide_limbs_by_steps(q, u, v, n, count);
    widen_divisor(v, n);
    block_reciprocal y;
    const bool use_reciprocal = reciprocal_pays(count);
    if (use_reciprocal) y = reciprocal_of(v);
    for (int i = 0; i < count; i += division_block) {
        divide_block(q + i, u + i, v, n, std::min(division_block, count - i),
                     use_reciprocal ? &y : nullptr);
    }
}

bool divide_limbs_leading(int32_t* q, const int32_t* u, const int32_t* v, int n, int count) {
    if (n < shortest_for_blocks) return false;
    // One guard limb past the wanted ones: `limbs` quotient limbs in all.
    // The block at limb i uses only the first T - i divisor limbs, T = limbs
    // + 1. With limbs weighted B^-i (B = 10^9) and the divisor read as V in
    // [1/2, 1), the products a block leaves out sum to less than B^-(T - 1),
    // so over fewer than B / 2 blocks less than half a unit of the guard
    // limb, over V less than one unit. What stays in the window is below one
    // unit times V, plus limbs past every window worth less than B^-T. So
    // the exact quotient is the computed one, one unit of the guard limb
    // below it, or one above: the wanted limbs stand unless the guard limb
    // is 0 or B - 1, where the borrow or carry could reach them.
    const int limbs = count + 1;
    const int reach = limbs + 1;
    leading_window.assign(static_cast<size_t>(n) + limbs + division_block, 0);
    std::copy(u, u + n + count, leading_window.begin());
    leading_quotient.resize(static_cast<size_t>(limbs));
    int32_t* window = leading_window.data();
    widen_divisor(v, n);
    block_reciprocal y;
    const bool use_reciprocal = reciprocal_pays(limbs);
    if (use_reciprocal) y = reciprocal_of(v);
    for (int i = 0; i < limbs; i += division_block) {
        const int used = std::min(n, reach - i);
        // Shortening the divisor may make it equal to the window's head,
        // where a block's quotient would not fit its limbs.
        if (used < n && !less_than(window + i, v, used)) return false;
        divide_block(leading_quotient.data() + i, window + i, v, used,
                     std::min(division_block, limbs - i), use_reciprocal ? &y : nullptr);
    }
    const int32_t guard = leading_quotient[static_cast<size_t>(count)];
    if (guard == 0 || guard == LIMB_BASE - 1) return false;
    std::copy_n(leading_quotient.begin(), count, q);
    return true;
}

}  // namespace tallix
