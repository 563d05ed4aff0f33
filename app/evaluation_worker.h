#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "app/line_evaluator.h"

namespace tallix {

// A thread of its own for evaluating lines, so that a line that runs for
// minutes never freezes the window. One line at a time: the engine is never
// entered twice at once.
class EvaluationWorker {
  public:
    // `finished` is called on the worker thread as each line ends.
    EvaluationWorker(LineEvaluator evaluator, std::function<void()> finished);
    // Stops a running line and waits for it.
    ~EvaluationWorker();
    EvaluationWorker(const EvaluationWorker&) = delete;
    EvaluationWorker& operator=(const EvaluationWorker&) = delete;

    // Hands a line over; the previous one must have been taken.
    void start(const QByteArray& line);
    // Whether the line has ended, waiting at most `timeout` for it.
    bool waitFor(std::chrono::milliseconds timeout);
    // Waits for the line to end and returns its output.
    QString take();

  private:
    void run();
    QString evaluateCaught(const QByteArray& line);

    LineEvaluator evaluator_;
    std::function<void()> finished_;
    std::mutex mutex_;
    std::condition_variable changed_;
    QByteArray line_;
    QString output_;
    bool pending_ = false;  // a line is handed over and not yet ended
    bool quit_ = false;
    std::thread thread_;  // started with the first line
};

}  // namespace tallix
