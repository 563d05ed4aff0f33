// Arbitrary bytes through evaluate_line: every input must end in an output
// the front ends can show (nothing, an error line of the table, or a number
// that reads back as itself), with nothing left over from the line.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "engine/engine.h"
#include "engine/language/engine_state.h"
#include "engine/number/lf.h"
#include "engine/number/lf_exception.h"
#include "tests/fuzz/fuzz_input.h"

namespace tallix::fuzz {

namespace {

// Some lines are slow by the algorithms themselves (a square root of
// 10^-9999 at 2,000 digits); a line still running after this long is
// stopped, and its error 2 counts as a pass.
constexpr auto LINE_TIME_LIMIT = std::chrono::seconds(2);

class watchdog {
  public:
    watchdog() : thread_([this] { run(); }) {}
    ~watchdog() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

    void arm() {
        std::lock_guard lock(mutex_);
        deadline_ = std::chrono::steady_clock::now() + LINE_TIME_LIMIT;
        armed_ = true;
        wake_.notify_one();
    }

    void disarm() {
        std::lock_guard lock(mutex_);
        armed_ = false;
    }

  private:
    void run() {
        std::unique_lock lock(mutex_);
        while (!quit_) {
            if (!armed_) {
                wake_.wait(lock);
            } else if (wake_.wait_until(lock, deadline_) == std::cv_status::timeout && armed_) {
                // Repeated until the line ends, in case the request lands
                // before the line has started and is forgotten.
                request_stop();
                deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::chrono::steady_clock::time_point deadline_;
    bool armed_ = false;
    bool quit_ = false;
    std::thread thread_;
};

[[noreturn]] void finding(const char* what, std::string_view line, const char* output) {
    std::fprintf(stderr, "fuzz finding: %s\nline: %.*s\noutput: %s\n", what,
                 static_cast<int>(line.size()), line.data(), output);
    std::abort();
}

bool is_error_line(const char* output) {
    int code = 0;
    int consumed = 0;
    if (std::sscanf(output, "ERR%d: %n", &code, &consumed) != 1 || consumed == 0) return false;
    const char* message = output + consumed;
    for (const error_text& error : errors::all)
        if (error.code == code && std::strcmp(error.message, message) == 0) return true;
    return false;
}

// A result must read back as the number it shows.
bool reads_back(const char* output) {
    try {
        lf value(output);
        std::string shown(static_cast<size_t>(lf::format_capacity()), '\0');
        return std::strcmp(value.format(shown.data()), output) == 0;
    } catch (const lf_exception&) {
        // Beyond what the reader accepts (an exponent at the very edge).
        return true;
    }
}

void check_output(std::string_view line, const line_result& result) {
    if (std::memchr(output_buffer, '\0', LINE_BUFFER_SIZE) == nullptr)
        finding("output not terminated", line, "");
    const char* output = result.text.c_str();
    if (!temp_list.empty()) finding("temporaries left after the line", line, output);
    if (result.text.empty() || is_error_line(output)) return;
    if (std::strncmp(output, "ERR", 3) == 0) finding("error line not in the table", line, output);
    if (!reads_back(output)) finding("result does not read back", line, output);
}

}  // namespace

void run_one_input(const uint8_t* data, size_t size) {
    static watchdog dog;
    const fuzz_input input = read_fuzz_input(data, size);
    reset_engine(input.precision);
    for (std::string_view line : input.lines) {
        dog.arm();
        const line_result result = evaluate_text(line);
        dog.disarm();
        check_output(line, result);
    }
}

}  // namespace tallix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tallix::fuzz::run_one_input(data, size);
    return 0;
}
