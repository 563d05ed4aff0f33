#pragma once

#include <cstdint>
#include <optional>

#include "engine/number/lf.h"

// The state the function families keep between calls, all of it here. Each
// value cached on first use keeps the precision of that first use for the
// rest of the run; reset_function_caches() (functions.h) forgets them all.
namespace tallix {

// Zero until the first PI; afterwards pi at the precision of that first call,
// which every later call returns even when the precision has changed since.
extern lf pi_cache;

// The comparison bounds of log_split, built on its first call.
struct log_bounds {
    lf ten_to_the_tenth;
    lf n1024;
    lf sqrt_two;
    lf sqrt_half;
};
extern std::optional<log_bounds> log_bounds_cache;

// The state of RND's generator, seeded with 1 as a fresh run is.
extern uint32_t rnd_state;

}  // namespace tallix
