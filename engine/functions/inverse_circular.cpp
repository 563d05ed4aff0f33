#include <cmath>
#include <vector>

#include "engine/functions/functions.h"
#include "engine/number/lf_exception.h"

namespace tallix {

namespace {

// Just above sqrt(2) - 1 the folds below can hand an argument back and forth
// (sometimes one or two calls down), since sqrt(2) and pi/4 are rounded. The
// arguments of the active ARCTAN calls let a repeated call see itself and run
// the Landen iteration where it stands instead of folding again.
std::vector<lf> active_arguments;

class chain_link {
  public:
    explicit chain_link(const lf& argument) { active_arguments.push_back(argument); }
    ~chain_link() { active_arguments.pop_back(); }
    chain_link(const chain_link&) = delete;
    chain_link& operator=(const chain_link&) = delete;
};

bool is_active(const lf& argument) {
    for (const lf& active : active_arguments) {
        if (lf_compare(active, argument) == 0) return true;
    }
    return false;
}

// Ascending Landen transformations: the modulus k climbs from one unit in the
// last kept limb of 1 until it rounds to 1, g collects the factors
// 2 / (1 + k), and h ends as the tangent whose doubled artanh, scaled by g,
// is the angle.
lf landen(const lf& x) {
    lf k = EPS(lf_one);
    lf h = x / (lf_one + SQR(lf_one + x * x));
    lf g(lf_one);
    lf f;
    do {
        g = (lf_two * g) / (lf_one + k);
        f = ((lf_two * k) * h) / (lf_one + h * h);
        f = f / (lf_one + SQR(lf_one - f * f));
        f = (h + f) / (lf_one - h * f);
        h = f / (lf_one + SQR(lf_one + f * f));
        k = (lf_two * SQR(k)) / (lf_one + k);
    } while (lf_one > k);
    return g * LOG((lf_one + h) / (lf_one - h));
}

// Folds the argument into [-1, sqrt(2) - 1] before the Landen iteration.
lf arctan(const lf& x) {
    if (is_active(x)) return landen(x);
    chain_link link(x);
    if (x < lf("-1")) return (-PI()) / lf_two - arctan(lf_one / x);
    lf root2 = SQR(lf_two);
    if (x > root2 - lf_one && x < root2 + lf_one) {
        return PI() / lf_four - arctan((lf_one - x) / (lf_one + x));
    }
    if (x >= root2 + lf_one) return PI() / lf_two - arctan(lf_one / x);
    return landen(x);
}

}  // namespace

lf ARCTAN(const lf& x) {
    return arctan(x);
}

lf ARCSIN(const lf& x) {
    if (x < lf("-1.0") || x > lf_one) raise(errors::arcsin_domain);
    lf c = SQR(lf_one - x * x);
    if (!c.is_zero()) return ARCTAN(x / c);
    return x > lf_zero ? PI() / lf_two : (-PI()) / lf_two;
}

lf ARCCOS(const lf& x) {
    if (x < -lf_one || x > lf_one) raise(errors::arccos_domain);
    return PI() / lf_two - ARCSIN(x);
}

// Computed in machine doubles, so the result has at most 15 digits whatever
// the precision.
lf ANGLE(const lf& x, const lf& y) {
    if (x.is_zero() && y.is_zero()) raise(errors::angle_of_origin);
    double yd = y.to_double();
    double xd = x.to_double();
    return lf(std::atan2(yd, xd));
}

}  // namespace tallix
