#pragma once

#include "cli/output.h"
#include "cli/session.h"

namespace tallix {

// Reads lines from the terminal with line editing and history until Ctrl+D,
// printing each line's output under it as the window does. Ends early when
// a write fails or a termination signal comes.
void run_interactive(session& calc, output& out);

}  // namespace tallix
