#pragma once

namespace tallix {

// Asks the evaluation running on another thread to stop at its next
// arithmetic step, where it ends with error 2. Safe to call from any thread
// and from a signal handler.
void request_stop();

// Forgets a pending request; the line evaluator calls it before each line.
void clear_stop_request();

// Raises error 2 when a stop was requested. Cheap enough for every
// arithmetic result.
void check_stop_request();

}  // namespace tallix
