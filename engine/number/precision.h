#pragma once

#include <cstdint>

#include "engine/engine.h"

namespace tallix {

inline constexpr int32_t LIMB_BASE = 1000000000;
inline constexpr int LIMB_DIGITS = 9;

// Digits shown, and limbs every result keeps (always more than shown, so
// display rounding has a reserve). They start at STARTUP_PRECISION, so the
// constants built before anything else runs keep every digit of their text.
extern int prec_digits;
extern int prec_limbs;

// set_precision without the range check, for any positive number of digits:
// the engine's tests work at precisions no user may choose.
void apply_precision(int digits);

}  // namespace tallix
