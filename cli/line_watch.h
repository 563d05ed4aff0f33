#pragma once

#include <chrono>
#include <functional>

namespace tallix {

// Watches the line being evaluated: once one has run for longer than a short
// moment, `while_slow` is called every few hundredths of a second (with
// `first` set the first time for that line), on the evaluating thread, from
// the engine's step poll. A run of quick lines costs a counter per line and
// no thread, so it never waits for one to be scheduled, however busy the
// machine. One watch at a time.
class line_watch {
  public:
    using slow_line_handler = std::function<void(bool first)>;
    explicit line_watch(slow_line_handler while_slow);
    ~line_watch();
    line_watch(const line_watch&) = delete;
    line_watch& operator=(const line_watch&) = delete;

    void begin_line();
    void end_line();

  private:
    using clock = std::chrono::steady_clock;
    static void poll(void* watch);
    void step();

    slow_line_handler while_slow_;
    bool running_ = false;
    unsigned long line_ = 0;
    unsigned long watched_ = 0;  // the line the times below belong to
    clock::time_point next_report_;
    bool slow_seen_ = false;
};

}  // namespace tallix
