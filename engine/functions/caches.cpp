#include "engine/functions/caches.h"
#include "engine/functions/functions.h"
#include "engine/functions/pi.h"

namespace tallix {

void reset_function_caches() {
    reset_pi_cache();
    reset_log_bounds();
    reset_rnd();
}

}  // namespace tallix
