#pragma once

#include <cstdint>

namespace tallix {

inline constexpr int32_t LIMB_BASE = 1000000000;
inline constexpr int LIMB_DIGITS = 9;

// Digits shown, and limbs every result keeps (always more than shown, so
// display rounding has a reserve). The start-up values let the constants
// keep every digit of their text.
extern int prec_digits;
extern int prec_limbs;

void set_precision(int digits);

}  // namespace tallix
