#pragma once

// request_stop() is declared in the public header.
#include "engine/engine.h"

namespace tallix {

// Forgets a pending request; the line evaluator calls it before each line.
void clear_stop_request();

// Raises error 2 when a stop was requested, after calling the step poll when
// its turn has come. Cheap enough for every arithmetic result.
void check_stop_request();

}  // namespace tallix
