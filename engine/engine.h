#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The calculator engine as the front ends see it: everything else under
// engine/ is out of their reach.
//
// Threads: one thread at a time evaluates. evaluate_text, set_precision and
// register_builtins may be called from any thread, but never while a line is
// being evaluated on another; debug builds check this for evaluate_text.
// request_stop is the exception: it is safe from any thread and from a signal
// handler at any time.
namespace tallix {

// Significant digits: the range a user may choose and its default. The engine
// starts at STARTUP_PRECISION so that its constants keep every digit of their
// text; a front end sets the user's precision before the first line.
inline constexpr int MIN_PRECISION = 6;
inline constexpr int MAX_PRECISION = 2000;
inline constexpr int DEFAULT_PRECISION = 15;
inline constexpr int STARTUP_PRECISION = 20000;

// Takes effect for every later operation. Throws std::invalid_argument for
// digits outside MIN_PRECISION..MAX_PRECISION.
void set_precision(int digits);

// The longest line evaluated; a longer one is cut to its first MAX_LINE_BYTES
// bytes, less the start of a UTF-8 character split by the cut.
inline constexpr int MAX_LINE_BYTES = 7998;

// How many of the line's first bytes are evaluated: all of a line that fits,
// else the cut described above.
std::size_t evaluated_length(std::string_view line);

struct line_result {
    std::string text;  // what to show below the line; empty for nothing
    int error = 0;     // the error number of an error line, 0 otherwise
    bool cut = false;  // the line was longer than MAX_LINE_BYTES and was cut
};

// Evaluates one line (no line break) against the variables of the run.
// Whatever happens inside, the result is a line to show: running out of
// memory or any other failure gives an error line, and the engine stays
// usable for the next line.
line_result evaluate_text(std::string_view line);

// The error line for the exception being handled; call it only inside a catch
// block. For callers that wrap evaluate_text in work of their own.
line_result result_of_current_exception();

// Enters the built-in functions into the name table; once per process.
void register_builtins();

// Forgets every variable: the next line sees the built-in names only, as at
// the start of a run. Never while a line is being evaluated.
void forget_variables();

// Whether `line` reads as something the engine writes below a line: a number
// as the engine shows it ("-1'234.5", "0.0025", "1.5e20") or an error line
// "ERR<n>: <message>" with a number and message of the engine's own error
// table. A sheet kept in a file carries no marks; this is how the front ends
// tell its old results from its input.
bool has_output_shape(std::string_view line);

// Asks the running line to stop at its next arithmetic step, where it ends
// with error 2. A request made while no line runs is forgotten when the next
// line starts.
void request_stop();

// Calls poll(context), when set, on the evaluating thread every few hundred
// arithmetic steps of a line, so that a front end can look after a long line
// without a thread of its own: write out earlier results, repeat a stop
// request. poll must not evaluate; it may call request_stop. A null poll
// removes it.
void set_step_poll(void (*poll)(void* context), void* context);

}  // namespace tallix
