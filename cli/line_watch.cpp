#include "cli/line_watch.h"

#include "engine/engine.h"

namespace tallix {

namespace {

constexpr std::chrono::milliseconds TICK(50);

}  // namespace

line_watch::line_watch(slow_line_handler while_slow) : while_slow_(std::move(while_slow)) {
    set_step_poll(&line_watch::poll, this);
}

line_watch::~line_watch() {
    set_step_poll(nullptr, nullptr);
}

void line_watch::begin_line() {
    ++line_;
    running_ = true;
}

void line_watch::end_line() {
    running_ = false;
}

void line_watch::poll(void* watch) {
    static_cast<line_watch*>(watch)->step();
}

void line_watch::step() {
    if (!running_) return;
    const clock::time_point now = clock::now();
    // A line is timed from its first poll, which comes within a few hundred
    // steps of its start: reading the clock at every line would cost the
    // quick ones.
    if (watched_ != line_) {
        watched_ = line_;
        slow_seen_ = false;
        next_report_ = now + TICK;
        return;
    }
    if (now < next_report_) return;
    next_report_ = now + TICK;
    while_slow_(!slow_seen_);
    slow_seen_ = true;
}

}  // namespace tallix
