#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "engine/engine.h"
#include "engine/language/indexed_name_table.h"
#include "engine/language/node.h"
#include "engine/language/scanner.h"

// Every piece of state the engine keeps between calls, in one place. The
// language's own is defined in engine_state.cpp; the lower layers keep theirs
// beside the code that needs it:
//   - prec_digits and prec_limbs: engine/number/precision.h (lf.cpp)
//   - the constants lf_zero .. lf_ln2, read only: engine/number/lf.h
//   - the stop request: engine/number/interrupt.h (interrupt.cpp)
//   - pi_cache, log_bounds_cache and rnd_state: engine/functions/caches.h
// reset_engine() puts all of it back as a fresh run has it.
namespace tallix {

inline constexpr int LINE_BUFFER_SIZE = 8000;
// The line's text, "\n" and NUL fill input_buffer at most.
static_assert(MAX_LINE_BYTES == LINE_BUFFER_SIZE - 2);

// The line to evaluate (its text, "\n", NUL), and the text to show for it.
extern char input_buffer[LINE_BUFFER_SIZE];
extern char output_buffer[LINE_BUFFER_SIZE];
// The error number of the error line in output_buffer, 0 for none; written
// wherever output_buffer receives an error line.
extern int output_error;

// The one scanner of the process.
extern Scanner scanner;

// Every name the language knows, built-ins first, then variables in the order
// they were created. Entries stay in place as the table grows, so a token that
// points at an entry stays valid for the rest of its line.
extern IndexedNameTable name_table;

// Owner of every object made while one line is evaluated. It is emptied at
// the end of each line but keeps its storage, so a line allocates no list.
extern std::vector<std::unique_ptr<Node>> temp_list;

// The parser's stacks moved to the heap for the running line (parser_stack.h);
// at most two are out at once, the old one while it is copied.
extern std::vector<void*> parser_stack_blocks;

// Set while a line is evaluated, so that debug builds catch a second thread
// entering the engine at the same time.
extern std::atomic<bool> line_running;

// A fresh run at `digits` (any positive number: tests go beyond the user's
// range): built-ins only, no variables, caches and RND forgotten, empty
// buffers, nothing left of a line, no stop request pending.
void reset_engine(int digits = DEFAULT_PRECISION);

}  // namespace tallix
