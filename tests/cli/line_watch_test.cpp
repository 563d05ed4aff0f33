#include "cli/line_watch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <thread>

#include "engine/engine.h"

namespace tallix {
namespace {

class LineWatchTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        register_builtins();
        set_precision(DEFAULT_PRECISION);
    }
};

long threads_of_this_process() {
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return std::distance(begin(tasks), end(tasks));
}

// On a busy machine a second thread must be scheduled before the process may
// end, so a run of quick lines must not have started one.
TEST_F(LineWatchTest, QuickLinesRunWithoutAThread) {
    const long before = threads_of_this_process();
    bool slow_seen = false;
    line_watch watch([&slow_seen](bool) { slow_seen = true; });
    for (const char* line : {"1+1", "x=2", "sqr(x)"}) {
        watch.begin_line();
        EXPECT_EQ(evaluate_text(line).error, 0);
        watch.end_line();
    }
    EXPECT_EQ(threads_of_this_process(), before);
    EXPECT_FALSE(slow_seen);
}

// A slow line is reported while it runs, on the thread that evaluates it,
// first once and then again; a stop asked for there ends it with error 2.
TEST_F(LineWatchTest, ASlowLineIsReportedWhileItRuns) {
    const std::thread::id evaluating = std::this_thread::get_id();
    int first_reports = 0, later_reports = 0;
    bool on_evaluating_thread = true;
    line_watch watch([&](bool first) {
        ++(first ? first_reports : later_reports);
        on_evaluating_thread = on_evaluating_thread && std::this_thread::get_id() == evaluating;
        if (later_reports == 2) request_stop();
    });
    watch.begin_line();
    // Thousands of millions of steps: only a stop ends it.
    const line_result result = evaluate_text("sqr(1e100000000)");
    watch.end_line();
    EXPECT_EQ(result.error, 2);
    EXPECT_EQ(first_reports, 1);
    EXPECT_EQ(later_reports, 2);
    EXPECT_TRUE(on_evaluating_thread);
}

}  // namespace
}  // namespace tallix
