#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/engine/number/test_support.h"

// An exact reference for the number engine, written apart from it: natural
// numbers in base 10^4 (a different radix, so a shared slip cannot hide), and
// the limb rounding rule worked out on decimal digit strings.
namespace tallix::testing {

class big_nat {
  public:
    big_nat() = default;
    explicit big_nat(const std::string& decimal);
    static big_nat from_u64(uint64_t value);

    std::string decimal() const;
    bool is_zero() const { return words_.empty(); }

    friend big_nat operator+(const big_nat& a, const big_nat& b);
    friend big_nat operator-(const big_nat& a, const big_nat& b);  // needs a >= b
    friend big_nat operator*(const big_nat& a, const big_nat& b);
    friend int compare(const big_nat& a, const big_nat& b);
    // Floor of a / b, b non-zero.
    friend big_nat quotient(const big_nat& a, const big_nat& b);

    big_nat times_power_of_ten(int64_t k) const;

  private:
    std::vector<uint32_t> words_;  // least significant first, no leading zero word
    void trim();
};

// sign × magnitude × 10^exp10.
struct exact {
    int sign = 0;
    big_nat magnitude;
    int64_t exp10 = 0;
};

exact exact_of(const lf& x);
exact exact_of_limbs(int sign, int64_t limb_exp, const std::vector<int32_t>& limbs);
exact exact_sum(const exact& a, const exact& b);
exact exact_negated(exact a);
exact exact_product(const exact& a, const exact& b);
int exact_compare(const exact& a, const exact& b);

// The stored form of an exact value rounded half up on the first dropped
// limb to `keep` limbs counted from its first non-zero limb.
stored round_to_limbs(const exact& x, int keep);

// What the engine must give, worked out from the exact results.
stored expected_add(const lf& a, const lf& b, int keep);
stored expected_sub(const lf& a, const lf& b, int keep);
stored expected_mul(const lf& a, const lf& b, int keep);
stored expected_div(const lf& a, const lf& b, int keep);

// Decimal digits of the value rounded half up to `digits` significant
// digits, trailing zeros removed, with the decimal exponent E such that the
// value is 0.DIGITS × 10^E.
struct rounded_decimal {
    int sign = 0;
    std::string digits;
    int64_t exponent = 0;
    bool operator==(const rounded_decimal&) const = default;
};
rounded_decimal round_to_digits(const exact& x, int digits);

// Reads a display or input text exactly: sign, digits with "'" or ","
// separators, optional point, optional exponent.
exact exact_of_text(const std::string& text);

}  // namespace tallix::testing
