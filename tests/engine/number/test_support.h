#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "engine/number/lf.h"

namespace tallix::testing {

// Restores the precision a test changed, so test order never matters.
class precision_scope {
  public:
    explicit precision_scope(int digits) : saved_(prec_digits) { apply_precision(digits); }
    ~precision_scope() { apply_precision(saved_); }
    precision_scope(const precision_scope&) = delete;
    precision_scope& operator=(const precision_scope&) = delete;

  private:
    int saved_;
};

// The stored form of a value, compared as a whole so a failure shows every field.
struct stored {
    int32_t len = 0;
    int32_t exp = 0;
    std::vector<int32_t> limbs;
    bool operator==(const stored&) const = default;
};

inline void PrintTo(const stored& s, std::ostream* out) {
    *out << "len " << s.len << ", exp " << s.exp << ", limbs [";
    for (size_t i = 0; i < s.limbs.size(); ++i)
        *out << (i ? ", " : "") << s.limbs[i];
    *out << "]";
}

inline stored stored_of(const lf& x) {
    stored s{x.len, x.exp, {}};
    s.limbs.assign(x.limbs, x.limbs + x.size());
    return s;
}

// Builds a value field by field, bypassing rounding, as values made under a
// larger precision look.
inline lf make_lf(int sign, int32_t exp, const std::vector<int32_t>& limbs) {
    lf x;
    x.assign_limbs(sign, exp, limbs.data(), static_cast<int32_t>(limbs.size()));
    return x;
}

}  // namespace tallix::testing
