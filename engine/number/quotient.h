#pragma once

#include <cstdint>

// Quotient kernels over base-10^9 limbs, most significant first. The divisor
// v (n limbs) is normalised (v[0] >= 10^9 / 2) and the window u holds
// n + count limbs, its first n limbs below v.
namespace tallix {

// Quotient limbs found per block by divide_limbs, and the shortest divisor
// for which blocks beat single steps.
inline constexpr int division_block = 16;
inline constexpr int shortest_for_blocks = division_block;

// `count` quotient limbs into q, the remainder left in u, in blocks of limbs.
void divide_limbs(int32_t* q, int32_t* u, const int32_t* v, int n, int count);

// The same limbs by div_step on u, u + 1, ... in turn: the schoolbook
// reference.
void divide_limbs_by_steps(int32_t* q, int32_t* u, const int32_t* v, int n, int count);

// The `count` quotient limbs of divide_limbs, skipping the products of
// quotient and divisor limbs too far down to reach them; u is left as it
// was. Returns false, q then meaningless, when the skipped products might
// have changed a limb; the caller then needs divide_limbs.
bool divide_limbs_leading(int32_t* q, const int32_t* u, const int32_t* v, int n, int count);

}  // namespace tallix
