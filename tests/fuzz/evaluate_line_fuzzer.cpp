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

#include "engine/functions/functions.h"
#include "engine/language/engine.h"
#include "engine/language/name_table.h"
#include "engine/language/temp_list.h"
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

size_t builtin_count() {
    size_t n = 0;
    while (func_table[n].name[0] != '\0')
        ++n;
    return n;
}

void start_fresh(int precision) {
    static const bool registered = (register_builtins(), true);
    (void)registered;
    while (name_table.size() > builtin_count())
        name_table.pop_back();
    reset_function_caches();
    set_precision(precision);
}

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

void check_output(std::string_view line) {
    if (std::memchr(output_buffer, '\0', LINE_BUFFER_SIZE) == nullptr)
        finding("output not terminated", line, "");
    if (!temp_list.empty()) finding("temporaries left after the line", line, output_buffer);
    if (output_buffer[0] == '\0' || is_error_line(output_buffer)) return;
    if (std::strncmp(output_buffer, "ERR", 3) == 0)
        finding("error line not in the table", line, output_buffer);
    if (!reads_back(output_buffer)) finding("result does not read back", line, output_buffer);
}

}  // namespace

void run_one_input(const uint8_t* data, size_t size) {
    static watchdog dog;
    const fuzz_input input = read_fuzz_input(data, size);
    start_fresh(input.precision);
    for (std::string_view line : input.lines) {
        std::memcpy(input_buffer, line.data(), line.size());
        input_buffer[line.size()] = '\n';
        input_buffer[line.size() + 1] = '\0';
        output_buffer[0] = '\0';
        dog.arm();
        evaluate_line();
        dog.disarm();
        check_output(line);
    }
}

}  // namespace tallix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tallix::fuzz::run_one_input(data, size);
    return 0;
}
