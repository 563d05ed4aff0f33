#include "engine/number/lf.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "engine/number/interrupt.h"
#include "engine/number/lf_exception.h"

namespace tallix {

int prec_digits = STARTUP_PRECISION;
int prec_limbs = STARTUP_PRECISION / LIMB_DIGITS + 2;

void apply_precision(int digits) {
    prec_digits = digits;
    prec_limbs = digits / LIMB_DIGITS + 2;
}

void set_precision(int digits) {
    if (digits < MIN_PRECISION || digits > MAX_PRECISION)
        throw std::invalid_argument("precision " + std::to_string(digits) + " is outside " +
                                    std::to_string(MIN_PRECISION) + ".." +
                                    std::to_string(MAX_PRECISION));
    apply_precision(digits);
}

lf::lf(const char* text) {
    parse(text);
}

lf::lf(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    parse(text);
}

lf::lf(const lf& other) {
    assign(&other);
}

lf::lf(lf&& other) noexcept {
    *this = std::move(other);
}

lf& lf::operator=(const lf& other) {
    assign(&other);
    return *this;
}

lf& lf::operator=(lf&& other) noexcept {
    if (this == &other) return *this;
    if (other.on_heap()) {
        release_heap();
        limbs = other.limbs;
        capacity_ = other.capacity_;
        other.limbs = other.inline_limbs_;
        other.capacity_ = INLINE_LIMBS;
    } else {
        // Inline limbs fit any value's room.
        std::memcpy(limbs, other.limbs, sizeof(int32_t) * other.size());
    }
    len = other.len;
    exp = other.exp;
    other.len = 0;
    other.exp = 0;
    return *this;
}

lf::~lf() {
    release_heap();
}

void lf::release_heap() {
    if (on_heap()) delete[] limbs;
    limbs = inline_limbs_;
    capacity_ = INLINE_LIMBS;
}

void lf::set_zero() {
    len = 0;
    exp = 0;
}

void lf::reserve_for(int64_t count) {
    if (count <= capacity_) return;
    release_heap();  // stays consistent if the allocation throws
    len = 0;
    limbs = new int32_t[count];
    capacity_ = static_cast<int32_t>(count);
}

void lf::assign(const lf* other) {
    if (other == this) return;
    if (other == nullptr || other->len == 0) {
        set_zero();
        return;
    }
    int32_t n = other->size();
    reserve_for(n);
    std::memcpy(limbs, other->limbs, sizeof(int32_t) * n);
    len = other->len;
    exp = other->exp;
}

void lf::assign_limbs(int sign, int32_t limb_exp, const int32_t* source, int32_t count) {
    if (count == 0) return set_zero();
    reserve_for(count);
    std::memmove(limbs, source, sizeof(int32_t) * count);
    len = sign * count;
    exp = limb_exp;
}

namespace {

int32_t checked_exponent(int64_t limb_exp) {
    if (limb_exp > std::numeric_limits<int32_t>::max() ||
        limb_exp < std::numeric_limits<int32_t>::min())
        raise(errors::overflow);
    return static_cast<int32_t>(limb_exp);
}

}  // namespace

void lf::normalize(int sign, int64_t limb_exp, const int32_t* buffer, int64_t count) {
    // Every arithmetic result passes here, so this is where a long
    // evaluation notices that the user asked it to stop.
    check_stop_request();
    while (count > 0 && buffer[0] == 0) {
        ++buffer;
        --count;
        --limb_exp;
    }
    bool round_up = false;
    if (count > prec_limbs) {
        round_up = buffer[prec_limbs] >= LIMB_BASE / 2;
        count = prec_limbs;
        // A carry turns trailing 999999999 limbs into zeros, which are dropped.
        if (round_up) {
            while (count > 0 && buffer[count - 1] == LIMB_BASE - 1)
                --count;
        }
        if (round_up && count == 0) {
            int32_t e = checked_exponent(limb_exp + 1);
            reserve_for(1);
            limbs[0] = 1;
            len = sign;
            exp = e;
            return;
        }
    }
    if (!round_up) {
        while (count > 0 && buffer[count - 1] == 0)
            --count;
        if (count == 0) {
            set_zero();
            return;
        }
    }
    int32_t e = checked_exponent(limb_exp);
    reserve_for(count);
    // The buffer may be this value's own array; memmove keeps that safe.
    std::memmove(limbs, buffer, sizeof(int32_t) * static_cast<uint32_t>(count));
    if (round_up) limbs[count - 1] += 1;
    len = static_cast<int32_t>(sign * count);
    exp = e;
}

}  // namespace tallix
