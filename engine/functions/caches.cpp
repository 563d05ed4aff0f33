#include "engine/functions/caches.h"

#include "engine/functions/functions.h"
#include "engine/functions/pi.h"

namespace tallix {

lf pi_cache;
std::optional<log_bounds> log_bounds_cache;
uint32_t rnd_state = 1;

void reset_pi_cache() {
    pi_cache = lf();
}

void reset_function_caches() {
    reset_pi_cache();
    log_bounds_cache.reset();
    rnd_state = 1;
}

}  // namespace tallix
