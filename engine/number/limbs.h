#pragma once

#include <cstdint>

// Limb primitives over arrays of n base-10^9 limbs, most significant first.
// They know nothing of signs or exponents.
namespace tallix {

int32_t add_limbs(int32_t* r, const int32_t* s, int n);
int32_t subtract_limbs(int32_t* r, const int32_t* s, int n);
int32_t addmul_limbs(int32_t* r, const int32_t* s, int n, int32_t m);
int32_t submul_limbs(int32_t* r, const int32_t* s, int n, int32_t m);
// One quotient limb of u[0..n] by the normalised divisor v[0..n-1]; leaves
// the partial remainder in u.
int32_t div_step(int32_t* u, const int32_t* v, int n);

// The exact product of a (n limbs) and b (m limbs) into z (n + m limbs): the
// same limbs as accumulating addmul_limbs rows, computed column by column.
void multiply_limbs(int32_t* z, const int32_t* a, int n, const int32_t* b, int m);

// `count` quotient limbs of the window u (n + count limbs, its first n limbs
// below v) by the normalised divisor v (n limbs) into q, the remainder left
// in u: the same result as div_step on u, u + 1, ... in turn.
void divide_limbs(int32_t* q, int32_t* u, const int32_t* v, int n, int count);

}  // namespace tallix
