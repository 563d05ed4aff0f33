#pragma once

// The calculator engine as the front ends see it.
namespace tallix {

inline constexpr int LINE_BUFFER_SIZE = 8000;
// The longest line text a front end hands over, leaving room for "\n" and NUL.
inline constexpr int MAX_LINE_BYTES = LINE_BUFFER_SIZE - 2;

extern char input_buffer[LINE_BUFFER_SIZE];
extern char output_buffer[LINE_BUFFER_SIZE];

// Evaluates the line in input_buffer (its text, "\n", NUL) and leaves the text
// to show in output_buffer, which the caller has emptied.
void evaluate_line();

// Enters the built-in functions into the name table; called once at start.
void register_builtins();

// request_stop(), from interrupt.h, is the one entry safe from another thread
// or a signal handler: the running evaluate_line ends with error 2. A request
// made while no line runs is forgotten when the next line starts.

}  // namespace tallix

#include "engine/number/interrupt.h"
#include "engine/number/precision.h"
