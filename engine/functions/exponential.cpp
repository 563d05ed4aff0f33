#include "engine/functions/functions.h"

namespace tallix {

namespace {

// 1 + r + r^2/2! + ... for 0 <= r, summed until the rounded sum stops changing.
lf exp_series(const lf& r) {
    lf sum = r + lf_one;
    lf term(r);
    lf n("2");
    lf previous;
    lf ratio;
    do {
        previous = sum;
        lf_div(ratio, r, n);
        lf_mul(term, term, ratio);
        lf_add(sum, sum, term);
        ++n;
    } while (lf_compare(sum, previous) != 0);
    return sum;
}

}  // namespace

// e^x = 2^k e^r with k the integer nearest to x / ln 2 (halves up), so that
// |r| stays below about 0.3466. A negative r is summed as e^-r and inverted,
// which keeps every term of the series positive.
lf EXP(const lf& x) {
    lf k = INT(x / lf_ln2 + lf("0.5"));
    lf r = x - k * lf_ln2;
    lf sum = r.is_negative() ? lf_one / exp_series(-r) : exp_series(r);
    return int_pow(lf_two, k) * sum;
}

}  // namespace tallix
