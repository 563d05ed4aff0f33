#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "tests/engine/number/test_support.h"

namespace tallix::testing {

// Random limbs biased toward the values where carries, borrows and rounding
// turn: zero, the largest limb, and both sides of one half.
inline int32_t random_limb(std::mt19937_64& random) {
    switch (random() % 8) {
        case 0:
            return 0;
        case 1:
            return LIMB_BASE - 1;
        case 2:
            return LIMB_BASE / 2;
        case 3:
            return LIMB_BASE / 2 - 1;
        case 4:
            return static_cast<int32_t>(1 + random() % 9);
        default:
            return static_cast<int32_t>(random() % LIMB_BASE);
    }
}

inline void make_valid(std::vector<int32_t>& limbs, std::mt19937_64& random) {
    if (limbs.front() == 0) limbs.front() = static_cast<int32_t>(1 + random() % (LIMB_BASE - 1));
    if (limbs.back() == 0) limbs.back() = static_cast<int32_t>(1 + random() % (LIMB_BASE - 1));
}

// A value of up to a few limbs more than `keep`, as values made under a
// larger precision are.
inline lf random_operand(std::mt19937_64& random, int keep) {
    size_t n;
    switch (random() % 5) {
        case 0:
            n = 1;
            break;
        case 1:
            n = static_cast<size_t>(keep);
            break;
        case 2:
            n = static_cast<size_t>(keep) + 1 + random() % 4;
            break;
        default:
            n = 1 + random() % static_cast<size_t>(keep);
    }
    std::vector<int32_t> limbs(n);
    for (auto& limb : limbs)
        limb = random_limb(random);
    make_valid(limbs, random);
    int sign = random() % 2 ? 1 : -1;
    return make_lf(sign, static_cast<int32_t>(random() % 7) - 3, limbs);
}

// A second operand related to the first in one of the ways that reach the
// edges of the algorithms.
inline lf related_operand(std::mt19937_64& random, const lf& a, int keep) {
    stored s = stored_of(a);
    switch (random() % 6) {
        case 0: {  // same leading limbs, different tail: cancellation, u[0] == v[0]
            for (size_t k = 1 + random() % s.limbs.size(); k < s.limbs.size(); ++k)
                s.limbs[k] = random_limb(random);
            if (random() % 2) s.limbs.push_back(random_limb(random));
            make_valid(s.limbs, random);
            return make_lf(random() % 2 ? 1 : -1, s.exp, s.limbs);
        }
        case 1: {  // limb exponents around the add and subtract thresholds
            lf b = random_operand(random, keep);
            int32_t delta = keep - 1 + static_cast<int32_t>(random() % 5);
            b.exp = random() % 2 ? a.exp - delta : a.exp + delta;
            return b;
        }
        case 2: {  // a one-limb operand, sometimes with a small first limb
            std::vector<int32_t> one{random() % 2 ? random_limb(random)
                                                  : static_cast<int32_t>(1 + random() % 9)};
            make_valid(one, random);
            return make_lf(random() % 2 ? 1 : -1, static_cast<int32_t>(random() % 5) - 2, one);
        }
        default:
            return random_operand(random, keep);
    }
}

}  // namespace tallix::testing
