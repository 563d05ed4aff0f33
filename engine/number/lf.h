#pragma once

#include <cstdint>
#include <string>

#include "engine/number/precision.h"

namespace tallix {

// An arbitrary-precision decimal: sign and limb count in `len` (0 for zero),
// limb exponent `exp`, and base-10^9 limbs, most significant first. The value
// is sign × 0.L0 L1 … L(n-1) × (10^9)^exp.
//
// The limbs of a short value live inside it: at the common precisions a line
// makes and drops values by the thousand, and an allocation for each would
// cost about as much as the arithmetic. `limbs` always points at room for
// at least `len` limbs, inside or on the heap.
class lf {
  public:
    // Limbs held without an allocation: 27 digits and the two reserve limbs.
    static constexpr int32_t INLINE_LIMBS = 5;

    int32_t len = 0;
    int32_t exp = 0;
    int32_t* limbs = inline_limbs_;

    lf() = default;
    explicit lf(const char* text);
    explicit lf(double value);
    lf(const lf& other);
    lf(lf&& other) noexcept;
    lf& operator=(const lf& other);
    lf& operator=(lf&& other) noexcept;
    virtual ~lf();

    // A null pointer makes the value zero.
    void assign(const lf* other);
    void assign(const lf& other) { assign(&other); }

    // Stores a raw limb buffer, rounded to prec_limbs limbs half up on the
    // first dropped limb. The exponent is taken wide so that a result beyond
    // the 32-bit limb exponent is reported instead of wrapping.
    void normalize(int sign, int64_t limb_exp, const int32_t* buffer, int64_t count);

    // Stores `count` limbs as they are, without rounding: for values built
    // limb by limb.
    void assign_limbs(int sign, int32_t limb_exp, const int32_t* source, int32_t count);

    void parse(const char* text);

    // Writes the display text into `buffer`, which needs room for
    // format_capacity() characters, and returns it.
    char* format(char* buffer) const;
    std::string to_string() const;
    static int format_capacity() { return prec_digits + 16; }

    double to_double() const;

    bool is_zero() const { return len == 0; }
    bool is_negative() const { return len < 0; }
    int sign() const { return len > 0 ? 1 : (len < 0 ? -1 : 0); }
    int32_t size() const { return len < 0 ? -len : len; }

    lf operator-() const;
    lf& operator/=(const lf& divisor);
    lf& operator++();
    lf& operator--();
    lf operator++(int);
    lf operator--(int);

  private:
    void set_zero();
    // Makes room for `count` limbs, reusing the room the value has when it is
    // enough; the limbs held are then kept, otherwise dropped.
    void reserve_for(int64_t count);
    bool on_heap() const { return limbs != inline_limbs_; }
    void release_heap();

    int32_t capacity_ = INLINE_LIMBS;
    int32_t inline_limbs_[INLINE_LIMBS];
};

lf operator+(const lf& a, const lf& b);
lf operator-(const lf& a, const lf& b);
lf operator*(const lf& a, const lf& b);
lf operator/(const lf& a, const lf& b);

void lf_add(lf& result, const lf& a, const lf& b);
void lf_sub(lf& result, const lf& a, const lf& b);
void lf_mul(lf& result, const lf& a, const lf& b);
void lf_div(lf& result, const lf& a, const lf& b);
int lf_compare(const lf& a, const lf& b);

inline bool operator<(const lf& a, const lf& b) {
    return lf_compare(a, b) < 0;
}
inline bool operator>(const lf& a, const lf& b) {
    return lf_compare(a, b) > 0;
}
inline bool operator<=(const lf& a, const lf& b) {
    return lf_compare(a, b) <= 0;
}
inline bool operator>=(const lf& a, const lf& b) {
    return lf_compare(a, b) >= 0;
}
inline bool operator==(const lf& a, const lf& b) {
    return lf_compare(a, b) == 0;
}

// Process-wide constants, built at start-up at the initial precision.
extern const lf lf_zero;
extern const lf lf_one;
extern const lf lf_two;
extern const lf lf_four;
extern const lf lf_ln10;
extern const lf lf_ln2;

}  // namespace tallix
