#include "cli/session.h"

#include <cstring>

#include "engine/language/engine.h"

namespace tallix {

session::session(output_mode mode, std::FILE* out, std::FILE* err)
    : mode_(mode), out_(out), err_(err) {}

// Copies the line into the engine's buffer as the window does: at most
// MAX_LINE_BYTES of it, then "\n" and NUL.
void session::load(std::string_view line, const std::string& where) {
    if (line.size() > static_cast<size_t>(MAX_LINE_BYTES)) {
        std::fprintf(err_,
                     "tallix-cli: %s is longer than %d bytes; only its first %d are evaluated\n",
                     where.c_str(), MAX_LINE_BYTES, MAX_LINE_BYTES);
        line = line.substr(0, MAX_LINE_BYTES);
    }
    std::memcpy(input_buffer, line.data(), line.size());
    input_buffer[line.size()] = '\n';
    input_buffer[line.size() + 1] = '\0';
}

void session::evaluate(std::string_view line, const std::string& where) {
    load(line, where);
    output_buffer[0] = '\0';
    evaluate_line();

    size_t length = std::strlen(output_buffer);
    // A result is a number, so only an error line starts with "ERR".
    if (std::strncmp(output_buffer, "ERR", 3) == 0) had_error_ = true;

    if (mode_ == output_mode::transcript && echo_) {
        std::fwrite(line.data(), 1, line.size(), out_);
        std::fputc('\n', out_);
    }
    if (length > 0 || mode_ == output_mode::results_per_line) {
        std::fwrite(output_buffer, 1, length, out_);
        std::fputc('\n', out_);
    }
}

}  // namespace tallix
