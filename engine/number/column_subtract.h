#pragma once

#include <cstdint>

// Taking sums of products, gathered column by column, off base-10^9 limbs.
namespace tallix {

// u (w limbs) -= the w columns, column c weighing as much as u[c]: each
// below 1.7 × 10^19, the first below 10^9 (a product of whole numbers of
// limbs leaves it 0). Returns 1 when the result is negative; u
// then holds it plus 10^(9w), as subtract_limbs leaves it.
int32_t subtract_columns_portable(int32_t* u, const uint64_t* columns, int w);

// The same with AVX2 and FMA, or -1, u untouched, when the processor lacks
// them or the kernel choice rules vectors out. The columns must be followed
// by at least four zero columns.
int32_t subtract_columns_vector(int32_t* u, const uint64_t* columns, int w);

}  // namespace tallix
