#include "cli/session.h"

#include <cstdlib>
#include <cstring>

#include "engine/language/engine.h"

namespace tallix {

namespace {

struct evaluated_line {
    std::string text;  // empty when the line shows nothing
    int error = 0;     // the number of an error line
    bool cut = false;  // only the line's first MAX_LINE_BYTES or fewer were evaluated
};

// The longest start of the line that fits, without splitting a UTF-8
// character, as the window cuts it.
size_t cut_length(std::string_view line) {
    size_t length = MAX_LINE_BYTES;
    while (length > 0 && (static_cast<unsigned char>(line[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

// The one place that hands a line to the engine.
evaluated_line evaluate_in_engine(std::string_view line) {
    evaluated_line result;
    if (line.size() > static_cast<size_t>(MAX_LINE_BYTES)) {
        line = line.substr(0, cut_length(line));
        result.cut = true;
    }
    std::memcpy(input_buffer, line.data(), line.size());
    input_buffer[line.size()] = '\n';
    input_buffer[line.size() + 1] = '\0';
    output_buffer[0] = '\0';
    evaluate_line();
    result.text = output_buffer;
    // A result is a number, so only an error line starts with "ERR".
    if (result.text.compare(0, 3, "ERR") == 0) result.error = std::atoi(result.text.c_str() + 3);
    return result;
}

}  // namespace

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
    const evaluated_line result = evaluate_in_engine(line);
    if (watch_) watch_->end_line();

    if (result.cut) {
        had_cut_ = true;
        std::fprintf(err_,
                     "tallix-cli: %s is longer than %d bytes; only its first %d are evaluated\n",
                     where.c_str(), MAX_LINE_BYTES, MAX_LINE_BYTES);
    }
    if (result.error != 0) had_error_ = true;

    if (echoes()) out_.write_line(echo_started_ ? std::string_view() : line);
    echo_started_ = false;
    if (!result.text.empty() || mode_ == output_mode::results_per_line)
        out_.write_line(result.text);
}

}  // namespace tallix
