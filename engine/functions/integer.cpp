#include "engine/functions/functions.h"
#include "engine/number/lf_exception.h"

namespace tallix {

namespace {

bool has_fraction(const lf& x) {
    return x.size() > x.exp;
}

// The first x.exp limbs of x with its sign: exact, never rounded, even when x
// holds more limbs than the current precision keeps.
lf truncated(const lf& x) {
    lf t(x);
    int32_t count = x.exp;
    while (count > 0 && t.limbs[count - 1] == 0)
        --count;
    t.len = x.is_negative() ? -count : count;
    return t;
}

// 10^k for an integral k, exact at every precision; a negative k gives
// 1 / 10^-k.
lf power_of_ten(const lf& k) {
    return int_pow(lf("10"), k);
}

lf nearest_integer(const lf& n) {
    return INT(n + lf("0.5"));
}

}  // namespace

lf IP(const lf& x) {
    if (x.is_zero() || x.exp <= 0) return lf("0");
    if (!has_fraction(x)) return x;
    return truncated(x);
}

lf INT(const lf& x) {
    if (x.is_zero()) return lf("0");
    if (x.exp <= 0) return x.is_negative() ? lf("-1") : lf("0");
    if (!has_fraction(x)) return x;
    lf t = truncated(x);
    if (x.is_negative()) lf_sub(t, t, lf_one);
    return t;
}

lf FP(const lf& x) {
    return x - IP(x);
}

lf CEIL(const lf& x) {
    return -INT(-x);
}

// The quotient is rounded before INT, so a quotient just below an integer can
// round up to it and leave a tiny remainder of the opposite sign.
lf MOD(const lf& x, const lf& y) {
    if (y.is_zero()) raise(errors::mod_by_zero);
    lf q = x / y;
    return x - y * INT(q);
}

lf REMAINDER(const lf& x, const lf& y) {
    if (y.is_zero()) raise(errors::remainder_by_zero);
    lf q = x / y;
    return x - y * IP(q);
}

lf ROUND(const lf& x, const lf& n) {
    lf s = power_of_ten(nearest_integer(n));
    return INT(x * s + lf("0.5")) / s;
}

lf TRUNCATE(const lf& x, const lf& n) {
    lf s = power_of_ten(nearest_integer(n));
    return IP(x * s) / s;
}

}  // namespace tallix
