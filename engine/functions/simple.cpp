#include <limits>

#include "engine/functions/functions.h"
#include "engine/number/lf_exception.h"
#include "engine/number/quotient_sum.h"

namespace tallix {

lf ABS(const lf& x) {
    return x.is_negative() ? -x : x;
}

lf SGN(const lf& x) {
    if (x.is_zero()) return lf("0");
    return x.is_negative() ? lf("-1") : lf("1");
}

lf MAX(const lf& a, const lf& b) {
    return lf_compare(a, b) < 0 ? b : a;
}

lf MIN(const lf& a, const lf& b) {
    return lf_compare(a, b) <= 0 ? a : b;
}

// The largest double, through its 15-digit text: 1.79769313486232e308 whatever
// the precision (at 6 to 8 digits only the two limbs that fit are kept).
lf MAXNUM() {
    return lf(std::numeric_limits<double>::max());
}

lf EPS(const lf& x) {
    if (x.is_zero()) raise(errors::eps_of_zero);
    const int32_t one = 1;
    lf unit;
    // Taken through normalize so that an exponent beyond the limb range is
    // reported rather than wrapped.
    unit.normalize(1, int64_t{x.exp} - prec_limbs + 1, &one, 1);
    return unit;
}

// Newton's iteration from above: s never starts below the root, so the
// sequence falls until rounding stops it, and the first step that does not
// fall is discarded.
lf SQR(const lf& x) {
    if (x.is_negative()) raise(errors::sqr_domain);
    if (x.is_zero()) return lf("0");
    lf s = x > lf_one ? x : lf_one;
    lf r;
    lf q;
    do {
        r = s;
        lf_add_quotient(q, r, x, r);
        lf_div(s, q, lf_two);
    } while (s < r);
    return r;
}

lf DATE() {
    return lf("-1.0");
}

lf TIME() {
    return lf("-1");
}

}  // namespace tallix
