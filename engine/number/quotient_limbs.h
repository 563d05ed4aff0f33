#pragma once

#include <cstdint>

#include "engine/number/lf.h"

namespace tallix {

// The first `count` limbs, truncated, of the quotient of the magnitudes of a
// and b (b not zero), in scratch valid until the next quotient; the first
// limb may be zero. The dividend window is the one a full quotient of
// prec_limbs + 2 limbs reads, so these are that quotient's first limbs.
const int32_t* quotient_limbs(const lf& a, const lf& b, int count);

}  // namespace tallix
