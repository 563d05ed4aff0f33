#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/number/limbs.h"

// Product kernels over base-10^9 limbs, most significant first.
namespace tallix {

// Below this many limbs in either operand, rows of addmul_limbs cost less
// than setting up columns.
inline constexpr int shortest_for_columns = 8;

// The exact product of a (n limbs) and b (m limbs) into z (n + m limbs),
// computed column by column.
void multiply_limbs(int32_t* z, const int32_t* a, int n, const int32_t* b, int m);

// The same limbs by rows of addmul_limbs: the schoolbook reference, and the
// fastest way for short operands.
inline void multiply_limbs_by_rows(int32_t* z, const int32_t* a, int n, const int32_t* b, int m) {
    std::fill_n(z, n + m, 0);
    for (int j = m - 1; j >= 0; --j)
        z[j] += addmul_limbs(z + j + 1, a, n, b[j]);
}

// The same limbs with the shorter operand below shortest_for_columns limbs,
// each column of products summed whole in 64 bits and carried once: at most
// 7 products below 10^18 and a carry below 2 × 10^10. The short operands'
// fast path, where the rows' carry per product is most of the work.
void multiply_limbs_short(int32_t* z, const int32_t* a, int n, const int32_t* b, int m);

// The first `keep` limbs of the product, exactly as multiply_limbs gives
// them, into z (room for n + m limbs), skipping the columns that cannot reach
// them. Returns false, z then meaningless, when the skipped columns might
// carry into them; the caller then needs the full product.
bool multiply_limbs_leading(int32_t* z, int keep, const int32_t* a, int n, const int32_t* b, int m);

}  // namespace tallix
