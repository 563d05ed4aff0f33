#include "app/evaluation_worker.h"

#include "engine/engine.h"

namespace tallix {

EvaluationWorker::EvaluationWorker(LineEvaluator evaluator, std::function<void()> finished)
    : evaluator_(std::move(evaluator)), finished_(std::move(finished)) {}

EvaluationWorker::~EvaluationWorker() {
    if (!thread_.joinable()) return;
    {
        std::unique_lock lock(mutex_);
        quit_ = true;
        // Again and again: a request that lands before the line has begun
        // is forgotten when it begins.
        while (pending_) {
            request_stop();
            changed_.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
    changed_.notify_all();
    thread_.join();
}

void EvaluationWorker::start(const QByteArray& line) {
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    {
        std::lock_guard lock(mutex_);
        line_ = line;
        output_.clear();
        pending_ = true;
    }
    changed_.notify_all();
}

bool EvaluationWorker::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return !pending_; });
}

QString EvaluationWorker::take() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !pending_; });
    return std::move(output_);
}

// An exception would end the thread and with it the program; the line shows
// an error instead, and the console stays usable.
QString EvaluationWorker::evaluateCaught(const QByteArray& line) {
    try {
        return evaluator_(line);
    } catch (...) {
        return QString::fromStdString(result_of_current_exception().text);
    }
}

void EvaluationWorker::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return quit_ || pending_; });
        if (quit_ && !pending_) return;
        const QByteArray line = line_;
        lock.unlock();
        QString output = evaluateCaught(line);
        lock.lock();
        output_ = std::move(output);
        pending_ = false;
        changed_.notify_all();
        if (finished_) {
            lock.unlock();
            finished_();
            lock.lock();
        }
    }
}

}  // namespace tallix
