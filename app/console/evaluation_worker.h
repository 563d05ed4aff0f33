#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "app/console/line_evaluator.h"

namespace tallix {

// A thread of its own for evaluating lines, so that a line that runs for
// minutes never freezes the window. Lines queue up and run one at a time, in
// the order given: the engine is never entered twice at once. A paste hands
// over the lines ahead of the one it shows, so that the thread need not wait
// for the window between lines.
class EvaluationWorker {
  public:
    // `finished` is called on the worker thread as each line ends.
    EvaluationWorker(LineEvaluator evaluator, std::function<void()> finished);
    // Drops the waiting lines, stops a running one and waits for it.
    ~EvaluationWorker();
    EvaluationWorker(const EvaluationWorker&) = delete;
    EvaluationWorker& operator=(const EvaluationWorker&) = delete;

    // Queues a line behind those handed over before.
    void start(const QByteArray& line);
    // Whether the oldest line not yet taken has ended (or was dropped),
    // waiting at most `timeout` for it.
    bool waitFor(std::chrono::milliseconds timeout);
    // Waits for the oldest line not yet taken: its output, or nothing when it
    // was dropped before it began.
    std::optional<QString> take();
    // The lines that have not begun never will; each is taken as nothing.
    void dropWaiting();

  private:
    void run();
    bool frontReady() const;
    QString evaluateCaught(const QByteArray& line) noexcept;

    LineEvaluator evaluator_;
    std::function<void()> finished_;
    // Made while memory is still there: the error line of a line that ran out
    // of it may find none left to be written in.
    QString outOfMemoryLine_;
    std::mutex mutex_;
    // Two, so that neither side wakes the other for nothing: a paste hands
    // over and takes back hundreds of thousands of lines.
    std::condition_variable workArrived_;      // the worker waits on it
    std::condition_variable lineEnded_;        // the window waits on it
    std::deque<QByteArray> waiting_;           // not begun
    std::deque<std::optional<QString>> done_;  // ended or dropped, not yet taken
    bool running_ = false;
    qsizetype droppedBehindRunning_ = 0;  // to be taken as nothing once the running line ends
    bool quit_ = false;
    std::thread thread_;  // started with the first line
};

}  // namespace tallix
