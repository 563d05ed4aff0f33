#pragma once

#include <cstdint>

// Limb primitives over arrays of n base-10^9 limbs, most significant first.
// They know nothing of signs or exponents; the product and quotient kernels
// built on them live in product.h and quotient.h.
namespace tallix {

int32_t add_limbs(int32_t* r, const int32_t* s, int n);
int32_t subtract_limbs(int32_t* r, const int32_t* s, int n);
int32_t addmul_limbs(int32_t* r, const int32_t* s, int n, int32_t m);
int32_t submul_limbs(int32_t* r, const int32_t* s, int n, int32_t m);
// One quotient limb of u[0..n] by the normalised divisor v[0..n-1]; leaves
// the partial remainder in u.
int32_t div_step(int32_t* u, const int32_t* v, int n);

}  // namespace tallix
