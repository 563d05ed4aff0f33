#include <cstdint>

#include "engine/functions/caches.h"
#include "engine/functions/functions.h"

namespace tallix {

namespace {

// The portable generator of the C standard's own example, with its implicit
// seed of 1: values 0 to 32767 and one fixed sequence per run. Its state is
// RND's own, so no other code drawing random numbers can shift the sequence.
int next_rnd() {
    rnd_state = rnd_state * 1103515245u + 12345u;
    return static_cast<int>((rnd_state / 65536u) % 32768u);
}

}  // namespace

lf RND() {
    lf r(static_cast<double>(next_rnd()));
    lf divisor = lf_one + lf("32767");
    return r / divisor;
}

}  // namespace tallix
