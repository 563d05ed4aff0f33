#include "engine/functions/functions.h"
#include "engine/number/quotient_sum.h"

namespace tallix {

namespace {

// Below 1 the exponential form would cancel its leading digits, so the
// series is summed instead, term after term until the rounded sum settles.
lf sinh_series(const lf& x) {
    lf s(x);
    lf w = x * x;
    lf u(x);
    lf v(lf_one);
    lf k("3.0");
    while (true) {
        lf s0(s);
        lf t = k * (k - lf_one);
        u = u * w;
        v = v * t;
        lf_add_quotient(s, s0, u, v);
        if (s == s0) return s;
        k = k + lf_two;
    }
}

}  // namespace

lf SINH(const lf& x) {
    if (ABS(x) >= lf_one) {
        lf e = EXP(x);
        return (e - lf_one / e) / lf_two;
    }
    return sinh_series(x);
}

lf COSH(const lf& x) {
    lf e_minus = EXP(-x);
    lf e_plus = EXP(x);
    return (e_plus + e_minus) / lf_two;
}

lf TANH(const lf& x) {
    lf e = EXP(x * lf_two);
    return (e - lf_one) / (e + lf_one);
}

}  // namespace tallix
