#pragma once

// Resetters of the state the function families keep between calls; together
// they make reset_function_caches().
namespace tallix {

void reset_log_bounds();
void reset_rnd();

}  // namespace tallix
