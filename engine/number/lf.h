#pragma once

#include <cstdint>
#include <string>

#include "engine/number/precision.h"

namespace tallix {

// An arbitrary-precision decimal: sign and limb count in `len` (0 for zero),
// limb exponent `exp`, and base-10^9 limbs, most significant first. The value
// is sign × 0.L0 L1 … L(n-1) × (10^9)^exp.
class lf {
  public:
    int32_t len = 0;
    int32_t exp = 0;
    int32_t* limbs = nullptr;

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
    // Makes room for `count` limbs, reusing the array when the current value
    // already holds at least that many.
    void reserve_for(int64_t count);
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
