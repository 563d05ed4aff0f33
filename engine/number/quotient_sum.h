#pragma once

#include "engine/number/kernels.h"
#include "engine/number/lf.h"

namespace tallix {

// result = s + a / b with the quotient computed whole, then added.
void add_full_quotient(lf& result, const lf& s, const lf& a, const lf& b);

// The same limbs, computing only the quotient limbs that can reach the sum
// when a / b lies far below s.
void add_shortened_quotient(lf& result, const lf& s, const lf& a, const lf& b);

// Below this many kept limbs a whole quotient costs less than the
// bookkeeping that would shorten it.
inline constexpr int shortest_to_shorten = 32;

// result = s + a / b, the quotient rounded as lf_div rounds it and the sum
// as lf_add rounds it, and so to the same limbs: the step of square root
// iterations and of series.
inline void lf_add_quotient(lf& result, const lf& s, const lf& a, const lf& b) {
    if (prec_limbs < shortest_to_shorten || !kernels().shortcuts)
        return add_full_quotient(result, s, a, b);
    add_shortened_quotient(result, s, a, b);
}

}  // namespace tallix
