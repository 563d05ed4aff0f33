#pragma once

#include "engine/number/lf.h"

namespace tallix {

// result = s + a / b, the quotient rounded as lf_div rounds it and the sum
// as lf_add rounds it, and so to the same limbs; when a / b lies far below
// s only the quotient limbs that can reach the sum are computed. The step
// of square root iterations and of series.
void lf_add_quotient(lf& result, const lf& s, const lf& a, const lf& b);

}  // namespace tallix
