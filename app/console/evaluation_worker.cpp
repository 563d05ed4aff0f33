#include "app/console/evaluation_worker.h"

#include "engine/engine.h"

#include <new>

namespace tallix {

namespace {

QString outOfMemoryErrorLine() {
    try {
        throw std::bad_alloc();
    } catch (...) {
        return QString::fromStdString(result_of_current_exception().text);
    }
}

}  // namespace

EvaluationWorker::EvaluationWorker(LineEvaluator evaluator, std::function<void()> finished)
    : evaluator_(std::move(evaluator)),
      finished_(std::move(finished)),
      outOfMemoryLine_(outOfMemoryErrorLine()) {}

EvaluationWorker::~EvaluationWorker() {
    if (!thread_.joinable()) return;
    {
        std::unique_lock lock(mutex_);
        quit_ = true;
        waiting_.clear();
        // Again and again: a request that lands before the line has begun
        // is forgotten when it begins.
        while (running_) {
            request_stop();
            lineEnded_.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
    workArrived_.notify_all();
    thread_.join();
}

void EvaluationWorker::start(const QByteArray& line) {
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    bool idle = false;
    {
        std::lock_guard lock(mutex_);
        idle = waiting_.empty() && !running_;
        waiting_.push_back(line);
    }
    if (idle) workArrived_.notify_one();
}

bool EvaluationWorker::frontReady() const {
    return !done_.empty() || (!running_ && waiting_.empty());
}

bool EvaluationWorker::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return lineEnded_.wait_for(lock, timeout, [this] { return frontReady(); });
}

std::optional<QString> EvaluationWorker::take() {
    std::unique_lock lock(mutex_);
    lineEnded_.wait(lock, [this] { return !done_.empty(); });
    std::optional<QString> output = std::move(done_.front());
    done_.pop_front();
    return output;
}

void EvaluationWorker::dropWaiting() {
    {
        std::lock_guard lock(mutex_);
        const qsizetype dropped = qsizetype(waiting_.size());
        waiting_.clear();
        if (running_) {
            droppedBehindRunning_ += dropped;
        } else {
            done_.insert(done_.end(), dropped, std::nullopt);
        }
    }
    lineEnded_.notify_all();
}

// An exception would end the thread and with it the program; the line shows
// an error instead, and the console stays usable. Writing that error needs
// memory too; where none is left, the line made beforehand stands in (a copy
// of it shares its text and allocates nothing).
QString EvaluationWorker::evaluateCaught(const QByteArray& line) noexcept {
    try {
        return evaluator_(line);
    } catch (...) {
        try {
            return QString::fromStdString(result_of_current_exception().text);
        } catch (...) {
            return outOfMemoryLine_;
        }
    }
}

void EvaluationWorker::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        workArrived_.wait(lock, [this] { return quit_ || !waiting_.empty(); });
        if (waiting_.empty()) return;
        const QByteArray line = std::move(waiting_.front());
        waiting_.pop_front();
        running_ = true;
        lock.unlock();
        QString output = evaluateCaught(line);
        lock.lock();
        running_ = false;
        done_.push_back(std::move(output));
        done_.insert(done_.end(), std::exchange(droppedBehindRunning_, 0), std::nullopt);
        lineEnded_.notify_all();
        if (finished_) {
            lock.unlock();
            finished_();
            lock.lock();
        }
    }
}

}  // namespace tallix
