#pragma once

#include <cstdint>

// Sums of products, gathered column by column, turned into base-10^9 limbs:
// taken off limbs, or as limbs of their own.
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

// The value of the w columns, column c weighing as much as z[c] and each
// below 1.75 × 10^19, as limbs in z (w limbs) and what passes above them in
// `above`, by AVX2 and FMA. Returns false, having done nothing, when the
// processor lacks them or the kernel choice rules vectors out. The columns
// must be followed by at least four zero columns.
bool columns_to_limbs_vector(int32_t* z, const uint64_t* columns, int w, uint64_t& above);

// r (n + 1 limbs) = s (n limbs) × m, m below 10^9, as products of one
// limb each carried by columns_to_limbs_vector; false when that cannot run.
bool multiply_by_limb_vector(int32_t* r, const int32_t* s, int n, int32_t m);

}  // namespace tallix
