#include "engine/functions/caches.h"
#include "engine/functions/functions.h"

namespace tallix {

namespace {

// Gauss-Legendre with the running sum scaled by 4 (d starts at 1, c at 4)
// and the final (a + b)^2 taken as 4a^2.
lf gauss_legendre_pi() {
    lf a(lf_one);
    lf b = lf_one / SQR(lf_two);
    lf d(lf_one);
    lf c(lf_four);
    while (true) {
        lf a0(a);
        lf b0(b);
        a = (a0 + b) / lf_two;
        b = SQR(a0 * b);
        lf step = a - a0;
        d = d - (c * step) * step;
        c = c * lf_two;
        if (!(a > b)) break;
        // At some precisions rounding reaches a step that changes neither mean
        // while a still exceeds b; every later step would be the same one.
        if (a == a0 && b == b0) break;
    }
    return ((a * a) * lf_four) / d;
}

}  // namespace

lf PI() {
    if (pi_cache.is_zero()) pi_cache = gauss_legendre_pi();
    return pi_cache;
}

}  // namespace tallix
