#include "engine/number/quotient_sum.h"

#include <limits>

#include "engine/number/interrupt.h"
#include "engine/number/lf_exception.h"
#include "engine/number/quotient_limbs.h"

namespace tallix {

namespace {

// Kept between calls so that the step allocates no limbs.
thread_local lf full_quotient;

}  // namespace

void add_full_quotient(lf& result, const lf& s, const lf& a, const lf& b) {
    if (&result == &s || &result == &a || &result == &b) {
        lf_div(full_quotient, a, b);
        return lf_add(result, s, full_quotient);
    }
    lf_div(result, a, b);
    lf_add(result, s, result);
}

void add_shortened_quotient(lf& result, const lf& s, const lf& a, const lf& b) {
    if (b.len == 0) raise(errors::division_by_zero);
    // Q = a / b rounded has limb exponent a.exp - b.exp + 1 less a leading
    // zero limb, plus one if rounding carries through every limb.
    const int64_t q_exp_high = int64_t{a.exp} - b.exp + 1;
    const int64_t gap = int64_t{s.exp} - q_exp_high;  // Q lies gap - 1 limbs or more below s
    const bool quotient_fits = q_exp_high + 1 <= std::numeric_limits<int32_t>::max() &&
                               q_exp_high - 1 >= std::numeric_limits<int32_t>::min();
    if (s.len == 0 || a.len == 0 || s.size() > prec_limbs || gap < 3 || !quotient_fits)
        return add_full_quotient(result, s, a, b);
    // lf_add keeps s alone when Q lies prec_limbs + 1 limbs below it, and
    // so does the subtraction at prec_limbs + 2.
    if (gap - 1 >= prec_limbs + 2) {
        check_stop_request();
        return result.assign(s);
    }
    // Q lies d >= gap limbs below s, and s ends within the first prec_limbs
    // limbs, so the limbs rounding reads (at most prec_limbs + 2 from the
    // top, a carry limb or a cancelled leading limb included) are decided
    // by s, Q's limbs 0 to prec_limbs + 1 - d, and, for a difference,
    // whether any later limb of Q is non-zero (a borrow); a sum gets no
    // carry from Q limbs past s. Those limbs of the rounded Q are its
    // truncated ones unless rounding carries through every limb after
    // them, which needs the next one to be 999999999.
    const int wanted = prec_limbs + 2 - static_cast<int>(gap);
    const int sign = a.sign() * b.sign();
    const int32_t* q = quotient_limbs(a, b, wanted + 2);
    const int lead = q[0] == 0 ? 1 : 0;
    const int32_t next = q[lead + wanted];
    const int64_t leading_exp = q_exp_high - lead;
    lf leading;
    if (sign != s.sign()) {
        // The next limb, kept, stands for every later limb of Q: non-zero,
        // and no carry passes it.
        if (next == 0 || next == LIMB_BASE - 1) return add_full_quotient(result, s, a, b);
        leading.normalize(sign, leading_exp, q + lead, wanted + 1);
        return lf_add(result, s, leading);
    }
    leading.normalize(sign, leading_exp, q + lead, wanted);
    if (next != LIMB_BASE - 1) return lf_add(result, s, leading);
    // The rounded Q begins either with these limbs or with them plus one in
    // the last; when both give the same sum, which one it is does not matter.
    lf raised;
    const int32_t one = 1;
    raised.normalize(sign, leading_exp - wanted + 1, &one, 1);
    lf_add(raised, leading, raised);
    lf sum;
    lf_add(sum, s, leading);
    lf_add(raised, s, raised);
    if (lf_compare(sum, raised) == 0) return result.assign(sum);
    add_full_quotient(result, s, a, b);
}

}  // namespace tallix
