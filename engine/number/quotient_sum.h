#pragma once

#include "engine/number/lf.h"

namespace tallix {

// result = x / r + r, each step rounded as lf_div and lf_add round it, and
// so to the same limbs; when x / r lies far below r only the quotient limbs
// that can reach the sum are computed. The step of a square root iteration.
void lf_add_quotient(lf& result, const lf& x, const lf& r);

}  // namespace tallix
