#include "engine/functions/functions.h"
#include "engine/number/lf_exception.h"

namespace tallix {

namespace {

// The parity of an integral n from its units limb, which is not stored (so
// zero) when n has trailing zero limbs. Exact for every n, however large.
bool is_odd(const lf& n) {
    return n.exp >= 1 && n.exp <= n.size() && n.limbs[n.exp - 1] % 2 != 0;
}

// Powers of 0, 1 and -1 never change under squaring, so the loop would run one
// pass per bit of n without ever overflowing: with n = 10^2000000000 that is
// hours. Their value is known at once.
bool is_fixed_under_squaring(const lf& x) {
    return x.is_zero() || lf_compare(ABS(x), lf_one) == 0;
}

lf fixed_point_power(const lf& x, const lf& n) {
    if (n.is_zero()) return lf("1");
    if (x.is_zero()) {
        if (n.is_negative()) raise(errors::division_by_zero);
        return lf("0");
    }
    if (x.is_negative() && is_odd(n)) return lf("-1");
    return lf("1");
}

}  // namespace

// Binary powering from the lowest bit. Every product is rounded, and the
// squaring also runs once after the last bit; a power beyond the limb exponent
// range ends in the overflow error of the arithmetic.
lf int_pow(const lf& x, const lf& n) {
    if (is_fixed_under_squaring(x)) return fixed_point_power(x, n);
    lf e = ABS(n);
    lf acc("1");
    lf s(x);
    while (!e.is_zero()) {
        if (!MOD(e, lf_two).is_zero()) lf_mul(acc, acc, s);
        lf_mul(s, s, s);
        // A base carried over from a higher precision can square to exactly 1;
        // the remaining passes would only multiply by 1, however many bits
        // are left.
        if (lf_compare(s, lf_one) == 0) break;
        e = INT(e / lf_two);
    }
    if (n.is_negative()) return lf_one / acc;
    return acc;
}

lf lf_pow(const lf& x, const lf& y) {
    if (!x.is_zero() && y.is_zero()) return lf("1");
    if (x.is_zero() && !(y > lf_zero)) raise(errors::zero_to_nonpositive);
    if (FP(y).is_zero()) return int_pow(x, y);
    if (x.is_negative()) raise(errors::negative_to_fraction);
    if (x.is_zero()) return lf("0");
    return EXP(y * LOG(x));
}

}  // namespace tallix
