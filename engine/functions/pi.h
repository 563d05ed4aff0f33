#pragma once

namespace tallix {

// Forgets the cached value of pi, so that the next PI computes it afresh at
// the precision then in force, as the first call of a run does.
void reset_pi_cache();

}  // namespace tallix
