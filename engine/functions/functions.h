#pragma once

#include "engine/number/lf.h"

// Every built-in function handler, by family. Handlers take their arguments
// by read-only reference and return a new value; they may call one another.
namespace tallix {

// Simple functions.
lf ABS(const lf& x);
lf SGN(const lf& x);
lf MAX(const lf& a, const lf& b);
lf MIN(const lf& a, const lf& b);
lf MAXNUM();
lf EPS(const lf& x);
lf SQR(const lf& x);
lf RND();
lf DATE();
lf TIME();

// Integer and rounding functions.
lf INT(const lf& x);
lf IP(const lf& x);
lf FP(const lf& x);
lf CEIL(const lf& x);
lf MOD(const lf& x, const lf& y);
lf REMAINDER(const lf& x, const lf& y);
lf ROUND(const lf& x, const lf& n);
lf TRUNCATE(const lf& x, const lf& n);

// Exponential, logarithms and power.
lf int_pow(const lf& x, const lf& n);
lf EXP(const lf& x);
lf LOG(const lf& x);
lf LOG10(const lf& x);
lf LOG2(const lf& x);
struct log_split_result {
    lf m;
    lf k;
};
log_split_result log_split(const lf& x);
lf lf_pow(const lf& x, const lf& y);

// Pi, angle conversion and circular functions.
lf PI();
lf DEG(const lf& x);
lf RAD(const lf& x);
lf SIN(const lf& x);
lf COS(const lf& x);
lf TAN(const lf& x);
lf COT(const lf& x);
lf SEC(const lf& x);
lf COSEC(const lf& x);

// Inverse circular functions.
lf ARCSIN(const lf& x);
lf ARCCOS(const lf& x);
lf ARCTAN(const lf& x);
lf ANGLE(const lf& x, const lf& y);

// Hyperbolic functions.
lf SINH(const lf& x);
lf COSH(const lf& x);
lf TANH(const lf& x);

// Forgets the values cached on first use (pi, the log_split bounds) and
// restarts the RND sequence, so a test can start as a fresh run would.
void reset_function_caches();

}  // namespace tallix
