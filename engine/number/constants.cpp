#include "engine/number/lf.h"

namespace tallix {

// Built during static initialisation, while STARTUP_PRECISION is in force,
// so each keeps every digit of its text.
const lf lf_zero("0");
const lf lf_one("1");
const lf lf_two("2");
const lf lf_four("4");
const lf lf_ln10(
    "2."
    "3025850929940456840179914546843642076011014886287729760333279009675726096773524802359972050895"
    "982983");
const lf lf_ln2(
#include "engine/number/ln2_digits.inc"
);

}  // namespace tallix
