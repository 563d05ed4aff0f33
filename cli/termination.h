#pragma once

#include <signal.h>

namespace tallix {

// SIGTERM, SIGINT and SIGHUP end a run in order instead of at once: the
// handler only asks the running line to stop and notes the signal; the
// program then writes every finished output and ends by the same signal, so
// its parent sees what ended it. The same signal sent again ends it at once. A
// signal the parent had set to be ignored stays ignored.
void catch_termination_signals();

// The signal that asked the run to end, or 0.
int pending_termination_signal();

// Waits until fd can be read; false, without waiting further, once a
// termination signal has come (also one that comes during the wait), or once
// `given_up` says so: a handler of one of those signals may set what it reads.
bool wait_for_input(int fd, bool (*given_up)() = nullptr);

// Ends the process by sig with its default action.
[[noreturn]] void end_by_signal(int sig);

}  // namespace tallix
