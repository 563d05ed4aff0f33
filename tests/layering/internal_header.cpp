// Built as part of a front end, this must fail: the number type is the
// engine's own, and a front end sees only engine/engine.h.
#include "engine/engine.h"
#include "engine/number/lf.h"

int probe() {
    return tallix::DEFAULT_PRECISION;
}
