#include "engine/functions/func_table.h"

#include "engine/functions/functions.h"

namespace tallix {

namespace {

constexpr func_entry nullary(const char* name, handler0 f) {
    return {name, {.f0 = f}, 0};
}
constexpr func_entry unary(const char* name, handler1 f) {
    return {name, {.f1 = f}, 1};
}
constexpr func_entry binary(const char* name, handler2 f) {
    return {name, {.f2 = f}, 2};
}

}  // namespace

// Registration keeps this order, which is not quite alphabetical (ANGLE after
// ARCCOS, COSH and COT before COSEC).
const func_entry func_table[] = {
    unary("ABS", ABS),
    unary("ARCCOS", ARCCOS),
    binary("ANGLE", ANGLE),
    unary("ARCSIN", ARCSIN),
    unary("ARCTAN", ARCTAN),
    unary("CEIL", CEIL),
    unary("COS", COS),
    unary("COSH", COSH),
    unary("COT", COT),
    unary("COSEC", COSEC),
    nullary("DATE", DATE),
    unary("DEG", DEG),
    unary("EPS", EPS),
    unary("EXP", EXP),
    unary("FP", FP),
    unary("INT", INT),
    unary("IP", IP),
    unary("LOG", LOG),
    unary("LOG10", LOG10),
    unary("LOG2", LOG2),
    binary("MAX", MAX),
    nullary("MAXNUM", MAXNUM),
    binary("MIN", MIN),
    binary("MOD", MOD),
    nullary("PI", PI),
    unary("RAD", RAD),
    binary("REMAINDER", REMAINDER),
    nullary("RND", RND),
    binary("ROUND", ROUND),
    unary("SEC", SEC),
    unary("SGN", SGN),
    unary("SIN", SIN),
    unary("SINH", SINH),
    unary("SQR", SQR),
    unary("TAN", TAN),
    unary("TANH", TANH),
    nullary("TIME", TIME),
    binary("TRUNCATE", TRUNCATE),
    {"", {.f0 = nullptr}, 0},
};

}  // namespace tallix
