#include "cli/session.h"

#include "engine/engine.h"

namespace tallix {

session::session(output_mode mode, std::FILE* out, std::FILE* err)
    : mode_(mode), out_(out), err_(err) {}

void session::evaluate(std::string_view line, const std::string& where) {
    const line_result result = evaluate_text(line);
    if (result.cut)
        std::fprintf(err_,
                     "tallix-cli: %s is longer than %d bytes; only its first %d are evaluated\n",
                     where.c_str(), MAX_LINE_BYTES, MAX_LINE_BYTES);
    if (result.error != 0) had_error_ = true;

    if (mode_ == output_mode::transcript && echo_) {
        std::fwrite(line.data(), 1, line.size(), out_);
        std::fputc('\n', out_);
    }
    if (!result.text.empty() || mode_ == output_mode::results_per_line) {
        std::fwrite(result.text.data(), 1, result.text.size(), out_);
        std::fputc('\n', out_);
    }
}

}  // namespace tallix
