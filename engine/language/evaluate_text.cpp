#include <cassert>
#include <cstring>
#include <new>
#include <string>

#include "engine/engine.h"
#include "engine/language/engine_state.h"
#include "engine/language/evaluate_line.h"
#include "engine/number/lf_exception.h"

namespace tallix {

namespace {

// Marks the engine busy for one line; debug builds stop at a second thread
// that enters while another evaluates.
class evaluation_scope {
  public:
    evaluation_scope() {
        [[maybe_unused]] const bool busy = line_running.exchange(true);
        assert(!busy && "two threads evaluate at the same time");
    }
    ~evaluation_scope() { line_running.store(false); }
    evaluation_scope(const evaluation_scope&) = delete;
    evaluation_scope& operator=(const evaluation_scope&) = delete;
};

line_result error_result(int code, const char* message) {
    line_result result;
    result.text = "ERR" + std::to_string(code) + ": " + message;
    result.error = code;
    return result;
}

}  // namespace

// At most MAX_LINE_BYTES, stepping back over UTF-8 continuation bytes to the
// start of the character the cut would split. A character has at most three
// of them: a longer run is not text, and it must not shrink the line to nothing.
size_t evaluated_length(std::string_view line) {
    if (line.size() <= static_cast<size_t>(MAX_LINE_BYTES)) return line.size();
    constexpr size_t MAX_CONTINUATION_BYTES = 3;
    size_t cut = MAX_LINE_BYTES;
    while (cut > MAX_LINE_BYTES - MAX_CONTINUATION_BYTES &&
           (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

line_result result_of_current_exception() {
    try {
        throw;
    } catch (const lf_exception& error) {
        return error_result(error.code(), error.what());
    } catch (const std::bad_alloc&) {
        return error_result(errors::out_of_memory.code, errors::out_of_memory.message);
    } catch (...) {
        return error_result(errors::internal_error.code, errors::internal_error.message);
    }
}

line_result evaluate_text(std::string_view line) {
    evaluation_scope scope;
    const size_t length = evaluated_length(line);
    std::memcpy(input_buffer, line.data(), length);
    input_buffer[length] = '\n';
    input_buffer[length + 1] = '\0';
    output_buffer[0] = '\0';
    line_result result;
    try {
        evaluate_line();
        result.text.assign(output_buffer, strnlen(output_buffer, LINE_BUFFER_SIZE));
        result.error = output_error;
    } catch (...) {
        // The line's objects are gone already; the buffers are rewritten by
        // the next line, so nothing of this one is kept.
        result = result_of_current_exception();
    }
    result.cut = length < line.size();
    return result;
}

}  // namespace tallix
