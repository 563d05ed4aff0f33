#include "engine/number/interrupt.h"

#include <atomic>

#include "engine/number/lf_exception.h"

namespace tallix {

namespace {
// Lock-free, so that a signal handler may set it.
std::atomic<bool> stop_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// Touched by the evaluating thread only, of which there is one at a time.
void (*step_poll)(void*) = nullptr;
void* step_poll_context = nullptr;
// A step at 2,000 digits takes at most some microseconds, so a poll comes
// within milliseconds; at 15 digits its cost is lost among the steps.
constexpr int STEPS_PER_POLL = 256;
int steps_to_poll = STEPS_PER_POLL;
}  // namespace

void set_step_poll(void (*poll)(void* context), void* context) {
    step_poll = poll;
    step_poll_context = context;
}

void request_stop() {
    stop_requested.store(true, std::memory_order_relaxed);
}

void clear_stop_request() {
    stop_requested.store(false, std::memory_order_relaxed);
}

void check_stop_request() {
    if (--steps_to_poll == 0) {
        steps_to_poll = STEPS_PER_POLL;
        if (step_poll != nullptr) step_poll(step_poll_context);
    }
    if (stop_requested.load(std::memory_order_relaxed)) raise(errors::interrupted);
}

}  // namespace tallix
