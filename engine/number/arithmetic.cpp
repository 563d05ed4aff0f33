#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/number/column_limbs.h"
#include "engine/number/kernels.h"
#include "engine/number/lf.h"
#include "engine/number/lf_exception.h"
#include "engine/number/limbs.h"
#include "engine/number/product.h"
#include "engine/number/quotient.h"
#include "engine/number/quotient_limbs.h"

namespace tallix {

namespace {

// Zero-filled scratch of at least `count` limbs. Each operation has its own
// slot, and no operation calls another while it holds one, so reuse across
// calls is safe and saves an allocation per operation.
int32_t* scratch(std::vector<int32_t>& slot, int64_t count) {
    if (slot.size() < static_cast<size_t>(count)) slot.resize(static_cast<size_t>(count));
    std::fill_n(slot.data(), count, 0);
    return slot.data();
}

thread_local std::vector<int32_t> add_x, add_y, mul_z, div_q, div_u, div_v;

lf negated(const lf& x) {
    lf r(x);
    r.len = -r.len;
    return r;
}

}  // namespace

void lf_add(lf& result, const lf& a, const lf& b) {
    if (a.len == 0) return result.assign(b);
    if (b.len == 0) return result.assign(a);
    if ((a.len < 0) != (b.len < 0)) return lf_sub(result, a, negated(b));
    const lf& big = a.exp >= b.exp ? a : b;
    const lf& small = a.exp >= b.exp ? b : a;
    int64_t d = int64_t{big.exp} - small.exp;
    if (d >= prec_limbs + 1) return result.assign(big);
    int64_t w = std::max<int64_t>(big.size(), small.size() + d);
    int32_t* x = scratch(add_x, w + 1);
    int32_t* y = scratch(add_y, w);
    std::memcpy(x + 1, big.limbs, sizeof(int32_t) * big.size());
    std::memcpy(y + d, small.limbs, sizeof(int32_t) * small.size());
    x[0] = add_limbs(x + 1, y, static_cast<int>(w));
    result.normalize(big.sign(), int64_t{big.exp} + 1, x, w + 1);
}

void lf_sub(lf& result, const lf& a, const lf& b) {
    if (a.len == 0) return result.assign(negated(b));
    if (b.len == 0) return result.assign(a);
    if ((a.len < 0) != (b.len < 0)) return lf_add(result, a, negated(b));
    int c = lf_compare(a, b);
    if (c == 0) return result.assign(nullptr);
    // M is the operand of larger magnitude.
    bool a_larger = (c > 0) == (a.len > 0);
    const lf& m = a_larger ? a : b;
    const lf& n = a_larger ? b : a;
    int64_t d = int64_t{m.exp} - n.exp;
    if (d >= prec_limbs + 2) {
        lf magnitude(m);
        magnitude.len = c * m.size();
        return result.assign(magnitude);
    }
    int64_t w = std::max<int64_t>(m.size(), n.size() + d);
    int32_t* x = scratch(add_x, w);
    int32_t* y = scratch(add_y, w);
    std::memcpy(x, m.limbs, sizeof(int32_t) * m.size());
    std::memcpy(y + d, n.limbs, sizeof(int32_t) * n.size());
    subtract_limbs(x, y, static_cast<int>(w));
    result.normalize(c, m.exp, x, w);
}

void lf_mul(lf& result, const lf& a, const lf& b) {
    if (a.len == 0 || b.len == 0) return result.assign(nullptr);
    int n = a.size();
    int m = b.size();
    int32_t* z = scratch(mul_z, int64_t{n} + m);
    int64_t count = int64_t{n} + m;
    // Rounding reads prec_limbs + 1 limbs, after at most one leading zero:
    // two non-zero leading limbs make the product at least B^-2.
    const int keep = prec_limbs + 2;
    if (!kernels().shortcuts) {
        multiply_limbs_by_rows(z, a.limbs, n, b.limbs, m);
    } else if (std::min(n, m) < shortest_for_columns) {
        multiply_limbs_short(z, a.limbs, n, b.limbs, m);
    } else if (keep < count && a.limbs[0] != 0 && b.limbs[0] != 0 &&
               multiply_limbs_leading(z, keep, a.limbs, n, b.limbs, m)) {
        count = keep;
    } else {
        multiply_limbs(z, a.limbs, n, b.limbs, m);
    }
    result.normalize(a.sign() * b.sign(), int64_t{a.exp} + b.exp, z, count);
}

namespace {

// r (n + 1 limbs, zero) = s (n limbs) × f. The vector passes pay only on
// operands as long as those the quotient divides in blocks.
void scale(int32_t* r, const int32_t* s, int n, int32_t f) {
    if (f == 1) {
        std::copy_n(s, n, r + 1);
    } else if (n < shortest_for_blocks || !kernels().shortcuts ||
               !multiply_by_limb_vector(r, s, n, f)) {
        r[0] = addmul_limbs(r + 1, s, n, f);
    }
}

// Inlined into lf_div, where a call per quotient would show at 15 digits.
[[gnu::always_inline]] inline const int32_t* quotient_limbs_inline(const lf& a, const lf& b,
                                                                   int count) {
    int n = b.size();
    int p = prec_limbs;
    int32_t* q = scratch(div_q, count);
    int32_t* u = scratch(div_u, int64_t{n} + p + 2);
    int32_t* v = scratch(div_v, int64_t{n} + 1) + 1;
    // A quotient is the same for both operands scaled by any factor; only
    // division steps need the divisor's first limb at least 10^9 / 2, and a
    // one-limb divisor is divided without them.
    int32_t f = n == 1 && kernels().shortcuts ? 1 : LIMB_BASE / (b.limbs[0] + 1);
    scale(u, a.limbs, std::min(n + p + 1, a.size()), f);
    // The divisor times f stays below 10^(9n): its carry limb is 0.
    scale(v - 1, b.limbs, n, f);
    if (!kernels().shortcuts || (n > 1 && n < shortest_for_blocks))
        divide_limbs_by_steps(q, u, v, n, count);
    else if (n == 1 || !divide_limbs_leading(q, u, v, n, count))
        divide_limbs(q, u, v, n, count);
    return q;
}

}  // namespace

const int32_t* quotient_limbs(const lf& a, const lf& b, int count) {
    return quotient_limbs_inline(a, b, count);
}

void lf_div(lf& result, const lf& a, const lf& b) {
    if (b.len == 0) raise(errors::division_by_zero);
    if (a.len == 0) return result.assign(nullptr);
    const int32_t* q = quotient_limbs_inline(a, b, prec_limbs + 2);
    result.normalize(a.sign() * b.sign(), int64_t{a.exp} - b.exp + 1, q, prec_limbs + 2);
}

int lf_compare(const lf& a, const lf& b) {
    int sa = a.sign();
    int sb = b.sign();
    if (sa != sb) return sa > sb ? 1 : -1;
    if (sa == 0) return 0;
    int s = sa;
    if (a.exp != b.exp) return a.exp > b.exp ? s : -s;
    int na = a.size();
    int nb = b.size();
    int common = std::min(na, nb);
    for (int i = 0; i < common; ++i) {
        if (a.limbs[i] != b.limbs[i]) return a.limbs[i] > b.limbs[i] ? s : -s;
    }
    if (na == nb) return 0;
    return na > nb ? s : -s;
}

lf lf::operator-() const {
    return negated(*this);
}

lf operator+(const lf& a, const lf& b) {
    lf r;
    lf_add(r, a, b);
    return r;
}

lf operator-(const lf& a, const lf& b) {
    lf r;
    lf_sub(r, a, b);
    return r;
}

lf operator*(const lf& a, const lf& b) {
    lf r;
    lf_mul(r, a, b);
    return r;
}

lf operator/(const lf& a, const lf& b) {
    if (b.is_zero()) raise(errors::division_by_zero);
    lf r;
    lf_div(r, a, b);
    return r;
}

lf& lf::operator/=(const lf& divisor) {
    if (divisor.is_zero()) raise(errors::division_by_zero);
    lf_div(*this, *this, divisor);
    return *this;
}

lf& lf::operator++() {
    lf_add(*this, *this, lf_one);
    return *this;
}

lf& lf::operator--() {
    lf_sub(*this, *this, lf_one);
    return *this;
}

lf lf::operator++(int) {
    lf old(*this);
    ++*this;
    return old;
}

lf lf::operator--(int) {
    lf old(*this);
    --*this;
    return old;
}

}  // namespace tallix
