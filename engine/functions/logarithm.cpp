#include "engine/functions/caches.h"
#include "engine/functions/functions.h"
#include "engine/number/lf_exception.h"
#include "engine/number/quotient_sum.h"

namespace tallix {

namespace {

// Built at the precision in force at the first call and kept, like the value
// of pi, for the rest of the run.
const log_bounds& get_bounds() {
    if (!log_bounds_cache) {
        log_bounds b;
        b.ten_to_the_tenth = lf("1e10");
        b.n1024 = lf("1024");
        b.sqrt_two = SQR(lf_two);
        b.sqrt_half = SQR(lf("0.5"));
        log_bounds_cache = std::move(b);
    }
    return *log_bounds_cache;
}

// The atanh series: ln m = 2 (a + a^3/3 + a^5/5 + ...) with a = (m-1)/(m+1).
lf atanh_sum(const lf& m) {
    lf a = (m - lf_one) / (m + lf_one);
    lf a2 = a * a;
    lf j("1");
    lf two("2");
    lf sum(a);
    lf previous;
    do {
        lf_add(j, j, two);
        previous = sum;
        lf_mul(a, a, a2);
        lf_add_quotient(sum, sum, a, j);
    } while (lf_compare(sum, previous) != 0);
    return sum;
}

}  // namespace

// Big arguments are brought down ten powers of two per pass; below the lower
// bound they are doubled one step at a time. The argument itself, not the
// reduced value, picks the branch, and m comes from one division of x.
log_split_result log_split(const lf& x) {
    const log_bounds& b = get_bounds();
    lf mult("1");
    lf f(x);
    lf k("0");
    lf ten("10");
    while (f > b.ten_to_the_tenth) {
        lf_mul(mult, mult, b.n1024);
        lf_add(k, k, ten);
        lf_div(f, f, b.n1024);
    }
    if (x > b.sqrt_two) {
        while (f > b.sqrt_two) {
            lf_mul(mult, mult, lf_two);
            ++k;
            lf_div(f, f, lf_two);
        }
    } else if (x < b.sqrt_half) {
        while (f < b.sqrt_half) {
            lf_div(mult, mult, lf_two);
            --k;
            lf_mul(f, f, lf_two);
        }
    }
    return {x / mult, k};
}

lf LOG(const lf& x) {
    if (!(x > lf_zero)) raise(errors::log_domain);
    if (lf_compare(x, lf_one) == 0) return lf("0");
    log_split_result split = log_split(x);
    return split.k * lf_ln2 + atanh_sum(split.m) * lf_two;
}

// Both check their own argument first, so the error names them and not LOG.
lf LOG10(const lf& x) {
    if (!(x > lf_zero)) raise(errors::log10_domain);
    return LOG(x) / lf_ln10;
}

lf LOG2(const lf& x) {
    if (!(x > lf_zero)) raise(errors::log2_domain);
    return LOG(x) / lf_ln2;
}

}  // namespace tallix
