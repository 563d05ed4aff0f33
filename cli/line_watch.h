#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tallix {

// Watches, from a thread of its own, the line being evaluated: while one has
// run for longer than a short moment, `while_slow` is called every few
// hundredths of a second (with `first` set the first time for that line).
// Marking a line costs two atomic stores; the thread sleeps while no line runs.
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
    void run();
    void wait_for_a_line(std::unique_lock<std::mutex>& lock);

    slow_line_handler while_slow_;
    std::atomic<unsigned long> line_{0};
    std::atomic<bool> running_{false};
    std::atomic<bool> asleep_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace tallix
