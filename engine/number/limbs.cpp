#include "engine/number/limbs.h"

#include "engine/number/precision.h"

namespace tallix {

int32_t add_limbs(int32_t* r, const int32_t* s, int n) {
    int32_t carry = 0;
    for (int i = n - 1; i >= 0; --i) {
        int32_t t = r[i] + s[i] + carry;  // below 2 × 10^9 + 1: fits
        carry = t >= LIMB_BASE;
        r[i] = carry ? t - LIMB_BASE : t;
    }
    return carry;
}

int32_t subtract_limbs(int32_t* r, const int32_t* s, int n) {
    int32_t borrow = 0;
    for (int i = n - 1; i >= 0; --i) {
        int32_t t = r[i] - borrow - s[i] + LIMB_BASE;
        borrow = t < LIMB_BASE;
        r[i] = borrow ? t : t - LIMB_BASE;
    }
    return borrow;
}

int32_t addmul_limbs(int32_t* r, const int32_t* s, int n, int32_t m) {
    if (m == 0) return 0;
    // As in submul_limbs, each product splits into limbs on its own, and what
    // passes from limb to limb is the high part of the product to the right,
    // known in advance, and a carry of 0 to 2.
    uint64_t high_right = 0;
    uint64_t carry = 0;
    for (int i = n - 1; i >= 0; --i) {
        uint64_t p = static_cast<uint64_t>(s[i]) * static_cast<uint32_t>(m);
        uint64_t high = p / LIMB_BASE;
        uint64_t low = p - high * LIMB_BASE;
        // The high part is at most 10^9 - 2, so x < 3 × 10^9.
        uint64_t x = static_cast<uint64_t>(r[i]) + low + high_right + carry;
        carry = (x >= uint64_t{LIMB_BASE}) + (x >= 2 * uint64_t{LIMB_BASE});
        r[i] = static_cast<int32_t>(x - carry * LIMB_BASE);
        high_right = high;
    }
    return static_cast<int32_t>(high_right + carry);
}

int32_t submul_limbs(int32_t* r, const int32_t* s, int n, int32_t m) {
    if (m == 0) return 0;
    // Each product splits into limbs on its own; what passes from limb to limb
    // is the high part of the product to the right, known in advance, and a
    // borrow of 0 to 2, so the loop-carried work stays short.
    int64_t high_right = 0;
    int64_t borrow = 0;
    for (int i = n - 1; i >= 0; --i) {
        uint64_t p = static_cast<uint64_t>(s[i]) * static_cast<uint32_t>(m);
        int64_t high = static_cast<int64_t>(p / LIMB_BASE);
        int64_t low = static_cast<int64_t>(p) - high * LIMB_BASE;
        // The high part is at most 10^9 - 2, so x >= -2 × 10^9 + 1.
        int64_t x = r[i] - low - high_right - borrow;
        borrow = (x < 0) + (x < -LIMB_BASE);
        r[i] = static_cast<int32_t>(x + borrow * LIMB_BASE);
        high_right = high;
    }
    return static_cast<int32_t>(high_right + borrow);
}

int32_t div_step(int32_t* u, const int32_t* v, int n) {
    int64_t num = static_cast<int64_t>(u[0]) * LIMB_BASE + u[1];
    if (n == 1) {
        int64_t q = num / v[0];
        int64_t rem = num - q * v[0];
        u[0] = static_cast<int32_t>(rem / LIMB_BASE);
        u[1] = static_cast<int32_t>(rem % LIMB_BASE);
        return static_cast<int32_t>(q);
    }
    int64_t q = u[0] == v[0] ? LIMB_BASE - 1 : num / v[0];
    while (static_cast<int64_t>(v[1]) * q > (num - q * v[0]) * LIMB_BASE + u[2])
        --q;
    int32_t borrow = submul_limbs(u + 1, v, n, static_cast<int32_t>(q));
    int32_t t = u[0];
    u[0] = t - borrow;
    if (borrow == t) return static_cast<int32_t>(q);
    u[0] += add_limbs(u + 1, v, n);
    return static_cast<int32_t>(q - 1);
}

}  // namespace tallix
