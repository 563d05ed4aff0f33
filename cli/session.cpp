#include "cli/session.h"

#include "engine/engine.h"

namespace tallix {

session::session(output_mode mode, output& out, std::FILE* err, line_watch* watch)
    : mode_(mode), out_(out), err_(err), watch_(watch) {}

void session::echo_dropped(std::string_view kept, std::string_view dropped) {
    if (!echoes()) return;
    if (!echo_started_) out_.write(kept);
    echo_started_ = true;
    out_.write(dropped);
}

void session::evaluate(std::string_view line, const std::string& where) {
    if (watch_) watch_->begin_line();
    const line_result result = evaluate_text(line);
    if (watch_) watch_->end_line();

    if (result.cut) {
        had_cut_ = true;
        std::fprintf(err_,
                     "tallix-cli: %s is longer than %d bytes; only its first %zu are evaluated\n",
                     where.c_str(), MAX_LINE_BYTES, evaluated_length(line));
    }
    if (result.error != 0) had_error_ = true;

    if (echoes()) out_.write_line(echo_started_ ? std::string_view() : line);
    echo_started_ = false;
    if (!result.text.empty() || mode_ == output_mode::results_per_line)
        out_.write_line(result.text);
}

}  // namespace tallix
