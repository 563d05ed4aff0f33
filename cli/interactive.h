#pragma once

#include "cli/session.h"

namespace tallix {

// Reads lines from the terminal with line editing and history until Ctrl+D,
// printing each line's output under it as the window does.
void run_interactive(session& calc);

}  // namespace tallix
