#include "engine/number/interrupt.h"

#include <atomic>

#include "engine/number/lf_exception.h"

namespace tallix {

namespace {
// Lock-free, so that a signal handler may set it.
std::atomic<bool> stop_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);
}  // namespace

void request_stop() {
    stop_requested.store(true, std::memory_order_relaxed);
}

void clear_stop_request() {
    stop_requested.store(false, std::memory_order_relaxed);
}

void check_stop_request() {
    if (stop_requested.load(std::memory_order_relaxed)) raise(errors::interrupted);
}

}  // namespace tallix
