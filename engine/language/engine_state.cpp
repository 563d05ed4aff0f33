#include "engine/language/engine_state.h"

#include "engine/functions/func_table.h"
#include "engine/functions/functions.h"
#include "engine/language/name_table.h"
#include "engine/language/parser_stack.h"
#include "engine/language/temp_list.h"
#include "engine/number/interrupt.h"
#include "engine/number/precision.h"

namespace tallix {

char input_buffer[LINE_BUFFER_SIZE];
char output_buffer[LINE_BUFFER_SIZE];
int output_error = 0;
Scanner scanner;
IndexedNameTable name_table;
std::vector<std::unique_ptr<Node>> temp_list;
std::vector<void*> parser_stack_blocks;
std::atomic<bool> line_running{false};

namespace {

size_t builtin_count() {
    size_t n = 0;
    while (func_table[n].name[0] != '\0')
        ++n;
    return n;
}

}  // namespace

// The built-ins come first in the table and every variable after them.
void forget_variables() {
    if (name_table.size() > builtin_count()) name_table.resize(builtin_count());
}

void reset_engine(int digits) {
    release_parser_stacks();
    release_temporaries();
    scanner = Scanner();
    if (name_table.empty()) register_builtins();
    forget_variables();
    reset_function_caches();
    apply_precision(digits);
    clear_stop_request();
    input_buffer[0] = '\0';
    output_buffer[0] = '\0';
    output_error = 0;
}

}  // namespace tallix
