#include "tests/engine/number/exact_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace tallix::testing {

namespace {

constexpr uint32_t word_base = 10000;

int64_t floor_div(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

big_nat times_word(const big_nat& a, uint32_t w) {
    return a * big_nat::from_u64(w);
}

// Leading value of a number as a long double scaled by 10^(-4 × (words - 1)).
long double leading(const std::vector<uint32_t>& w) {
    long double v = 0;
    long double scale = 1;
    for (size_t k = 0; k < 3 && k < w.size(); ++k) {
        v += w[w.size() - 1 - k] * scale;
        scale /= word_base;
    }
    return v;
}

}  // namespace

big_nat::big_nat(const std::string& decimal) {
    for (int64_t end = static_cast<int64_t>(decimal.size()); end > 0; end -= 4) {
        int64_t begin = std::max<int64_t>(0, end - 4);
        uint32_t w = 0;
        for (int64_t i = begin; i < end; ++i) {
            if (decimal[i] < '0' || decimal[i] > '9') throw std::invalid_argument(decimal);
            w = w * 10 + static_cast<uint32_t>(decimal[i] - '0');
        }
        words_.push_back(w);
    }
    trim();
}

big_nat big_nat::from_u64(uint64_t value) {
    big_nat r;
    for (; value != 0; value /= word_base)
        r.words_.push_back(static_cast<uint32_t>(value % word_base));
    return r;
}

void big_nat::trim() {
    while (!words_.empty() && words_.back() == 0)
        words_.pop_back();
}

std::string big_nat::decimal() const {
    if (words_.empty()) return "0";
    std::string s = std::to_string(words_.back());
    char part[8];
    for (size_t k = words_.size() - 1; k-- > 0;) {
        std::snprintf(part, sizeof part, "%04u", words_[k]);
        s += part;
    }
    return s;
}

big_nat operator+(const big_nat& a, const big_nat& b) {
    big_nat r;
    uint32_t carry = 0;
    for (size_t k = 0; k < std::max(a.words_.size(), b.words_.size()) || carry; ++k) {
        uint32_t t = carry;
        if (k < a.words_.size()) t += a.words_[k];
        if (k < b.words_.size()) t += b.words_[k];
        r.words_.push_back(t % word_base);
        carry = t / word_base;
    }
    r.trim();
    return r;
}

big_nat operator-(const big_nat& a, const big_nat& b) {
    if (compare(a, b) < 0) throw std::logic_error("negative natural number");
    big_nat r;
    int32_t borrow = 0;
    for (size_t k = 0; k < a.words_.size(); ++k) {
        int32_t t = static_cast<int32_t>(a.words_[k]) - borrow -
                    (k < b.words_.size() ? static_cast<int32_t>(b.words_[k]) : 0);
        borrow = t < 0;
        r.words_.push_back(static_cast<uint32_t>(t + (borrow ? word_base : 0)));
    }
    r.trim();
    return r;
}

big_nat operator*(const big_nat& a, const big_nat& b) {
    if (a.is_zero() || b.is_zero()) return {};
    std::vector<uint64_t> cells(a.words_.size() + b.words_.size() + 1, 0);
    for (size_t i = 0; i < a.words_.size(); ++i)
        for (size_t j = 0; j < b.words_.size(); ++j)
            cells[i + j] += uint64_t{a.words_[i]} * b.words_[j];
    big_nat r;
    uint64_t carry = 0;
    for (uint64_t cell : cells) {
        carry += cell;
        r.words_.push_back(static_cast<uint32_t>(carry % word_base));
        carry /= word_base;
    }
    for (; carry != 0; carry /= word_base)
        r.words_.push_back(static_cast<uint32_t>(carry % word_base));
    r.trim();
    return r;
}

int compare(const big_nat& a, const big_nat& b) {
    if (a.words_.size() != b.words_.size()) return a.words_.size() < b.words_.size() ? -1 : 1;
    for (size_t k = a.words_.size(); k-- > 0;) {
        if (a.words_[k] != b.words_[k]) return a.words_[k] < b.words_[k] ? -1 : 1;
    }
    return 0;
}

// Schoolbook long division one base-10^4 word at a time: a floating estimate
// of each quotient word, then exact correction in both directions.
big_nat quotient(const big_nat& a, const big_nat& b) {
    if (b.is_zero()) throw std::domain_error("division by zero");
    big_nat q;
    big_nat rest;
    q.words_.assign(a.words_.size(), 0);
    for (size_t k = a.words_.size(); k-- > 0;) {
        rest.words_.insert(rest.words_.begin(), a.words_[k]);
        rest.trim();
        long double estimate = 0;
        if (compare(rest, b) >= 0) {
            int64_t shift =
                static_cast<int64_t>(rest.words_.size()) - static_cast<int64_t>(b.words_.size());
            estimate = leading(rest.words_) / leading(b.words_) * std::pow(10.0L, 4 * shift);
        }
        int64_t digit = std::clamp<int64_t>(static_cast<int64_t>(estimate), 0, word_base - 1);
        while (digit > 0 && compare(times_word(b, static_cast<uint32_t>(digit)), rest) > 0)
            --digit;
        while (digit < word_base - 1 &&
               compare(times_word(b, static_cast<uint32_t>(digit + 1)), rest) <= 0)
            ++digit;
        rest = rest - times_word(b, static_cast<uint32_t>(digit));
        q.words_[k] = static_cast<uint32_t>(digit);
    }
    q.trim();
    return q;
}

big_nat big_nat::times_power_of_ten(int64_t k) const {
    if (k < 0) throw std::invalid_argument("negative power");
    if (is_zero()) return {};
    return big_nat(decimal() + std::string(static_cast<size_t>(k), '0'));
}

exact exact_of_limbs(int sign, int64_t limb_exp, const std::vector<int32_t>& limbs) {
    std::string digits;
    char part[16];
    for (int32_t limb : limbs) {
        std::snprintf(part, sizeof part, "%09d", limb);
        digits += part;
    }
    exact x{sign, big_nat(digits), 9 * (limb_exp - static_cast<int64_t>(limbs.size()))};
    if (x.magnitude.is_zero()) x = exact{};
    return x;
}

exact exact_of(const lf& x) {
    stored s = stored_of(x);
    return exact_of_limbs(s.len < 0 ? -1 : (s.len > 0 ? 1 : 0), s.exp, s.limbs);
}

exact exact_negated(exact a) {
    a.sign = -a.sign;
    return a;
}

exact exact_sum(const exact& a, const exact& b) {
    if (a.sign == 0) return b;
    if (b.sign == 0) return a;
    int64_t e = std::min(a.exp10, b.exp10);
    big_nat ma = a.magnitude.times_power_of_ten(a.exp10 - e);
    big_nat mb = b.magnitude.times_power_of_ten(b.exp10 - e);
    if (a.sign == b.sign) return exact{a.sign, ma + mb, e};
    int c = compare(ma, mb);
    if (c == 0) return exact{};
    return c > 0 ? exact{a.sign, ma - mb, e} : exact{b.sign, mb - ma, e};
}

exact exact_product(const exact& a, const exact& b) {
    if (a.sign == 0 || b.sign == 0) return exact{};
    return exact{a.sign * b.sign, a.magnitude * b.magnitude, a.exp10 + b.exp10};
}

int exact_compare(const exact& a, const exact& b) {
    return exact_sum(a, exact_negated(b)).sign;
}

stored round_to_limbs(const exact& x, int keep) {
    if (x.sign == 0) return stored{};
    std::string s = x.magnitude.decimal();
    int64_t top = static_cast<int64_t>(s.size()) + x.exp10;  // value = 0.s × 10^top
    int64_t limb_exp = -floor_div(-top, 9);                  // ceiling of top / 9
    std::string d = std::string(static_cast<size_t>(9 * limb_exp - top), '0') + s;
    d.append((9 - d.size() % 9) % 9, '0');
    size_t kept_digits = static_cast<size_t>(9) * keep;
    if (d.size() > kept_digits) {
        bool up = d.compare(kept_digits, 9, "500000000") >= 0;
        d.resize(kept_digits);
        if (up) {
            std::string bumped = (big_nat(d) + big_nat::from_u64(1)).decimal();
            if (bumped.size() > kept_digits) {
                d = "000000001";
                ++limb_exp;
            } else {
                d = std::string(kept_digits - bumped.size(), '0') + bumped;
            }
        }
    }
    std::vector<int32_t> limbs;
    for (size_t k = 0; k < d.size(); k += 9)
        limbs.push_back(std::stoi(d.substr(k, 9)));
    while (!limbs.empty() && limbs.back() == 0)
        limbs.pop_back();
    return stored{x.sign * static_cast<int32_t>(limbs.size()), static_cast<int32_t>(limb_exp),
                  limbs};
}

namespace {

stored negated(stored s) {
    s.len = -s.len;
    return s;
}

int sign_of(const stored& s) {
    return s.len > 0 ? 1 : (s.len < 0 ? -1 : 0);
}

exact exact_of_stored(const stored& s) {
    return exact_of_limbs(sign_of(s), s.exp, s.limbs);
}

stored model_sub(const stored& a, const stored& b, int keep);

// Sums whose smaller operand lies wholly below the kept limbs return the
// larger operand untouched, one limb earlier for addition than subtraction.
stored model_add(const stored& a, const stored& b, int keep) {
    if (a.len == 0) return b;
    if (b.len == 0) return a;
    if (sign_of(a) != sign_of(b)) return model_sub(a, negated(b), keep);
    const stored& big = a.exp >= b.exp ? a : b;
    const stored& small = a.exp >= b.exp ? b : a;
    if (int64_t{big.exp} - small.exp >= keep + 1) return big;
    return round_to_limbs(exact_sum(exact_of_stored(a), exact_of_stored(b)), keep);
}

stored model_sub(const stored& a, const stored& b, int keep) {
    if (a.len == 0) return negated(b);
    if (b.len == 0) return a;
    if (sign_of(a) != sign_of(b)) return model_add(a, negated(b), keep);
    exact difference = exact_sum(exact_of_stored(a), exact_negated(exact_of_stored(b)));
    if (difference.sign == 0) return stored{};
    exact abs_a = exact_of_limbs(1, a.exp, a.limbs);
    exact abs_b = exact_of_limbs(1, b.exp, b.limbs);
    const stored& larger = exact_compare(abs_a, abs_b) > 0 ? a : b;
    const stored& smaller = exact_compare(abs_a, abs_b) > 0 ? b : a;
    if (int64_t{larger.exp} - smaller.exp >= keep + 2) {
        stored r = larger;
        r.len = difference.sign * static_cast<int32_t>(larger.limbs.size());
        return r;
    }
    return round_to_limbs(difference, keep);
}

}  // namespace

stored expected_add(const lf& a, const lf& b, int keep) {
    return model_add(stored_of(a), stored_of(b), keep);
}

stored expected_sub(const lf& a, const lf& b, int keep) {
    return model_sub(stored_of(a), stored_of(b), keep);
}

stored expected_mul(const lf& a, const lf& b, int keep) {
    return round_to_limbs(exact_product(exact_of(a), exact_of(b)), keep);
}

// The dividend is cut to its first n + keep + 1 limbs (n the divisor's
// limbs) and the quotient to keep + 2 limbs from the limb position one above
// the exponent difference; only then is it rounded.
stored expected_div(const lf& a, const lf& b, int keep) {
    stored sa = stored_of(a);
    stored sb = stored_of(b);
    if (sa.len == 0) return stored{};
    int64_t n = static_cast<int64_t>(sb.limbs.size());
    int64_t used = std::min<int64_t>(n + keep + 1, static_cast<int64_t>(sa.limbs.size()));
    std::vector<int32_t> head(sa.limbs.begin(), sa.limbs.begin() + used);
    big_nat dividend =
        exact_of_limbs(1, used, head).magnitude.times_power_of_ten(9 * (n + keep + 1 - used));
    big_nat divisor = exact_of_limbs(1, n, sb.limbs).magnitude;
    exact q{sign_of(sa) * sign_of(sb), quotient(dividend, divisor),
            9 * (int64_t{sa.exp} - sb.exp + 1 - (keep + 2))};
    if (q.magnitude.is_zero()) return stored{};
    return round_to_limbs(q, keep);
}

rounded_decimal round_to_digits(const exact& x, int digits) {
    if (x.sign == 0) return rounded_decimal{};
    std::string s = x.magnitude.decimal();
    int64_t exponent = static_cast<int64_t>(s.size()) + x.exp10;
    if (s.size() > static_cast<size_t>(digits)) {
        bool up = s[digits] >= '5';
        s.resize(digits);
        if (up) {
            s = (big_nat(s) + big_nat::from_u64(1)).decimal();
            if (s.size() > static_cast<size_t>(digits)) {
                s = "1";
                ++exponent;
            }
        }
    }
    s.erase(s.find_last_not_of('0') + 1);
    return rounded_decimal{x.sign, s, exponent};
}

exact exact_of_text(const std::string& text) {
    size_t k = 0;
    int sign = 1;
    if (k < text.size() && (text[k] == '-' || text[k] == '+')) sign = text[k++] == '-' ? -1 : 1;
    std::string digits;
    int64_t fraction_digits = 0;
    bool after_point = false;
    for (; k < text.size() && text[k] != 'e' && text[k] != 'E'; ++k) {
        char c = text[k];
        if (c == '.') {
            after_point = true;
        } else if (c >= '0' && c <= '9') {
            digits += c;
            if (after_point) ++fraction_digits;
        } else if (c != '\'' && c != ',') {
            throw std::invalid_argument(text);
        }
    }
    int64_t written_exponent = k < text.size() ? std::stoll(text.substr(k + 1)) : 0;
    exact x{sign, big_nat(digits), written_exponent - fraction_digits};
    if (x.magnitude.is_zero()) x = exact{};
    return x;
}

}  // namespace tallix::testing
