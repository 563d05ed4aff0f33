#pragma once

namespace tallix {

// Evaluates the line in input_buffer (its text, "\n", NUL) and leaves the text
// to show in output_buffer and its error number in output_error; the caller
// has emptied output_buffer. Evaluation errors become error lines; any other
// exception leaves to the caller, with nothing of the line left behind.
void evaluate_line();

}  // namespace tallix
