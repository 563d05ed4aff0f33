#include "cli/line_watch.h"

#include <chrono>

namespace tallix {

namespace {

constexpr std::chrono::milliseconds TICK(50);

}  // namespace

line_watch::line_watch(slow_line_handler while_slow)
    : while_slow_(std::move(while_slow)), thread_([this] { run(); }) {}

line_watch::~line_watch() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void line_watch::begin_line() {
    // Only this thread counts lines, so a plain increment will do.
    line_.store(line_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    running_.store(true);
    // The watcher set asleep_ before it last looked at running_, so either it
    // sees this line or it is told of it here.
    if (asleep_.load()) {
        std::lock_guard<std::mutex> lock(mutex_);
        wake_.notify_one();
    }
}

void line_watch::end_line() {
    running_.store(false);
}

void line_watch::wait_for_a_line(std::unique_lock<std::mutex>& lock) {
    asleep_.store(true);
    wake_.wait(lock, [this] { return quit_ || running_.load(); });
    asleep_.store(false);
}

void line_watch::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    unsigned long watched = 0;
    bool slow_seen = false;
    while (!quit_) {
        if (!running_.load()) {
            wait_for_a_line(lock);
            continue;
        }
        watched = line_.load();
        slow_seen = false;
        // The same line still running a tick later is a slow one.
        while (!wake_.wait_for(lock, TICK, [this] { return quit_; }) && running_.load() &&
               line_.load() == watched) {
            lock.unlock();
            while_slow_(!slow_seen);
            lock.lock();
            slow_seen = true;
        }
    }
}

}  // namespace tallix
