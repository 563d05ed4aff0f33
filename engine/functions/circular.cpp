#include <vector>

#include "engine/functions/functions.h"
#include "engine/number/lf_exception.h"
#include "engine/number/quotient_sum.h"

namespace tallix {

namespace {

enum class circular { sine, cosine };

// Because pi/2 and pi/4 are rounded, an angle just above pi/4 can be folded
// from the sine to the cosine and back to the very same angle, forever. The
// calls of one top-level SIN or COS, with the argument each started from,
// let a call see that it repeats an active one; it then sums its series
// where it stands instead of folding again.
struct active_call {
    circular function;
    lf argument;
};

std::vector<active_call> active_calls;

class chain_link {
  public:
    chain_link(circular function, const lf& argument) {
        active_calls.push_back({function, argument});
    }
    ~chain_link() { active_calls.pop_back(); }
    chain_link(const chain_link&) = delete;
    chain_link& operator=(const chain_link&) = delete;
};

bool is_active(circular function, const lf& argument) {
    for (const active_call& call : active_calls) {
        if (call.function == function && lf_compare(call.argument, argument) == 0) return true;
    }
    return false;
}

// Sums term after term until the rounded sum stops changing; u carries the
// alternating power of the angle and v the factorial, k its next factor.
lf maclaurin_sum(lf s, lf u, lf v, lf k, const lf& w) {
    while (true) {
        lf s0(s);
        lf_add_quotient(s, s0, u, v);
        if (s == s0) return s;
        u = (-u) * w;
        v = (v * k) * (k + lf_one);
        k = k + lf_two;
    }
}

lf sine_series(const lf& l) {
    lf w = l * l;
    return maclaurin_sum(l, (-l) * w, lf("3") * lf_two, lf_four, w);
}

lf cosine_series(const lf& g) {
    lf w = g * g;
    return maclaurin_sum(lf_one, -w, lf_two, lf("3"), w);
}

lf cosine(const lf& x);

lf sine(const lf& x) {
    if (is_active(circular::sine, x)) return sine_series(x);
    chain_link link(circular::sine, x);
    if (x.is_negative()) return -sine(-x);
    lf pi = PI();
    lf l = MOD(x, pi * lf_two);
    if (l > pi) return -sine(l - pi);
    lf half_pi = pi / lf_two;
    if (l > half_pi) return cosine(l - half_pi);
    if (l > pi / lf_four) return cosine(half_pi - l);
    return sine_series(l);
}

// The cosine's own first step, taking the absolute value, is a link of the
// chain, so the call is known by |x|.
lf cosine(const lf& x) {
    lf magnitude = ABS(x);
    if (is_active(circular::cosine, magnitude)) return cosine_series(magnitude);
    chain_link link(circular::cosine, magnitude);
    lf pi = PI();
    lf g = MOD(magnitude, pi * lf_two);
    if (g > pi) return -cosine(g - pi);
    lf half_pi = pi / lf_two;
    if (g > half_pi) return -sine(g - half_pi);
    if (g > pi / lf_four) return sine(half_pi - g);
    return cosine_series(g);
}

}  // namespace

lf SIN(const lf& x) {
    return sine(x);
}

lf COS(const lf& x) {
    return cosine(x);
}

lf TAN(const lf& x) {
    lf c = COS(x);
    if (c.is_zero()) raise(errors::tan_pole);
    return SIN(x) / c;
}

lf COT(const lf& x) {
    lf s = SIN(x);
    return COS(x) / s;
}

lf SEC(const lf& x) {
    return lf_one / COS(x);
}

lf COSEC(const lf& x) {
    return lf_one / SIN(x);
}

}  // namespace tallix
