#pragma once

namespace tallix {

// Parses and evaluates the tokens the scanner yields for one line. Syntax
// errors are written to output_buffer; evaluation errors leave as lf_exception.
void parse_line();

}  // namespace tallix
