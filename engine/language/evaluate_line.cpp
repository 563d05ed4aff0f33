#include "engine/language/evaluate_line.h"

#include <cstdio>
#include <string_view>

#include "engine/language/engine_state.h"
#include "engine/language/parser.h"
#include "engine/language/parser_stack.h"
#include "engine/language/temp_list.h"
#include "engine/number/interrupt.h"
#include "engine/number/lf_exception.h"

namespace tallix {

namespace {

// Whatever way the line ends, including an exception the evaluator does not
// handle, nothing made for it outlives it.
struct line_cleanup {
    line_cleanup() = default;
    line_cleanup(const line_cleanup&) = delete;
    line_cleanup& operator=(const line_cleanup&) = delete;
    ~line_cleanup() {
        release_parser_stacks();
        release_temporaries();
    }
};

}  // namespace

void evaluate_line() {
    line_cleanup cleanup;
    clear_stop_request();
    output_error = 0;
    // The whole array, not just up to the NUL: the scanner stops at the NUL
    // by itself, as it would for any other byte that ends the tokens.
    scanner.switch_to(std::string_view(input_buffer, LINE_BUFFER_SIZE));
    try {
        parse_line();
    } catch (const lf_exception& error) {
        std::snprintf(output_buffer, LINE_BUFFER_SIZE, "ERR%d: %s", error.code(), error.what());
        output_error = error.code();
    }
}

}  // namespace tallix
