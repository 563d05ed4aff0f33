#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/number/lf.h"
#include "engine/number/lf_exception.h"

namespace tallix {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_separator(char c) {
    return c == ',' || c == '\'';
}

// Reads a signed decimal integer as strtol would (blanks, sign, digits),
// saturating far beyond the 32-bit range so that huge exponents still fail
// the range check instead of wrapping.
int64_t read_exponent(const char* p) {
    while (*p == ' ' || *p == '\t')
        ++p;
    int sign = 1;
    if (*p == '-' || *p == '+') {
        if (*p == '-') sign = -1;
        ++p;
    }
    int64_t value = 0;
    for (; is_digit(*p); ++p) {
        if (value < (int64_t{1} << 40)) value = value * 10 + (*p - '0');
    }
    return sign * value;
}

int64_t ceil_div9(int64_t n) {
    return n >= 0 ? (n + 8) / 9 : -((-n) / 9);
}

}  // namespace

void lf::parse(const char* text) {
    set_zero();
    if (text == nullptr) return;
    const char* p = text;
    int sign = 1;
    if (*p == '-') {
        sign = -1;
        ++p;
    } else if (*p == '+') {
        ++p;
    }
    while (*p == '0' || is_separator(*p))
        ++p;

    int64_t n = 0;
    const char* first;
    const char* q;
    if (is_digit(*p)) {
        first = p;
        q = p;
        for (; is_digit(*q) || is_separator(*q); ++q) {
            if (is_digit(*q)) ++n;
        }
        if (*q == '.') ++q;
    } else if (*p == '.') {
        q = p + 1;
        while (*q == '0') {
            --n;
            ++q;
        }
        if (!is_digit(*q)) return;
        first = q;
    } else {
        return;
    }
    while (is_digit(*q))
        ++q;
    if (*q == 'e' || *q == 'E') {
        n += read_exponent(q + 1);
        if (n > std::numeric_limits<int32_t>::max() || n < std::numeric_limits<int32_t>::min())
            raise(errors::overflow);
    }

    int64_t limb_exp = ceil_div9(n);
    int position = static_cast<int>(9 * limb_exp - n);  // leading zero digits of the first limb
    size_t buffer_size = std::strlen(first) / 9 + 2;
    std::vector<int32_t> buffer(buffer_size, 0);
    size_t index = 0;
    int32_t limb = 0;
    const char* c = first;
    for (;; ++c) {
        if (*c == '.' || is_separator(*c)) continue;
        if (!is_digit(*c)) break;
        limb = limb * 10 + (*c - '0');
        if (++position == LIMB_DIGITS) {
            buffer[index++] = limb;
            limb = 0;
            position = 0;
        }
    }
    if (*c != '\0' && *c != 'e' && *c != 'E') return;
    if (position > 0) {
        for (; position < LIMB_DIGITS; ++position)
            limb *= 10;
        buffer[index++] = limb;
    }
    normalize(sign, limb_exp, buffer.data(), static_cast<int64_t>(index));
}

char* lf::format(char* out) const {
    char* w = out;
    if (len == 0) {
        std::strcpy(out, "0");
        return out;
    }
    int n = size();
    std::string digits(static_cast<size_t>(n) * LIMB_DIGITS, '0');
    for (int i = 0; i < n; ++i) {
        int32_t limb = limbs[i];
        for (int k = LIMB_DIGITS - 1; k >= 0; --k) {
            digits[static_cast<size_t>(i) * LIMB_DIGITS + k] = static_cast<char>('0' + limb % 10);
            limb /= 10;
        }
    }
    // Decimal exponent in 64 bits: 9 × exp leaves 32 bits for extreme values.
    int64_t e = int64_t{LIMB_DIGITS} * exp;
    size_t lead = digits.find_first_not_of('0');
    e -= static_cast<int64_t>(lead);
    std::string s = digits.substr(lead);
    if (s.size() > static_cast<size_t>(prec_digits)) {
        bool up = s[prec_digits] >= '5';
        s.resize(prec_digits);
        if (up) {
            int k = prec_digits - 1;
            while (k >= 0 && s[k] == '9')
                s[k--] = '0';
            if (k >= 0) {
                ++s[k];
            } else {
                s.assign(1, '1');
                ++e;
            }
        }
    }
    size_t m = s.find_last_not_of('0') + 1;
    s.resize(m);

    if (len < 0) *w++ = '-';
    if (e < -3 || e > 14) {
        *w++ = s[0];
        *w++ = '.';
        if (m == 1) {
            *w++ = '0';
        } else {
            std::memcpy(w, s.data() + 1, m - 1);
            w += m - 1;
        }
        w += std::sprintf(w, "e%lld", static_cast<long long>(e - 1));
    } else if (e <= 0) {
        *w++ = '0';
        *w++ = '.';
        for (int64_t k = 0; k < -e; ++k)
            *w++ = '0';
        std::memcpy(w, s.data(), m);
        w += m;
        *w = '\0';
    } else {
        int64_t total = std::max<int64_t>(e, static_cast<int64_t>(m));
        for (int64_t k = 0; k < total; ++k) {
            if (k == e) *w++ = '.';
            *w++ = k < static_cast<int64_t>(m) ? s[k] : '0';
            if (k < e - 1 && (e - k - 1) % 3 == 0) *w++ = '\'';
        }
        *w = '\0';
    }
    return out;
}

std::string lf::to_string() const {
    std::vector<char> buffer(static_cast<size_t>(format_capacity()));
    return format(buffer.data());
}

double lf::to_double() const {
    std::string text = to_string();
    std::string plain;
    plain.reserve(text.size());
    for (char c : text) {
        if (c != '\'') plain.push_back(c);
    }
    return std::strtod(plain.c_str(), nullptr);
}

}  // namespace tallix
