#pragma once

#include <string>
#include <vector>

#include "engine/engine.h"

namespace tallix {

enum class output_mode {
    results,           // the output of each line that has one
    results_per_line,  // one line per input line, empty where nothing prints
    transcript,        // each input line, then its output if any
};

struct cli_options {
    int precision = DEFAULT_PRECISION;
    std::vector<std::string> eval_texts;  // -e, in order; evaluated before the files
    std::vector<std::string> files;       // "-" is standard input
    output_mode mode = output_mode::results;
    std::string sheet;  // --sheet: the sheet to print recalculated
    bool help = false;
    bool version = false;
};

struct parsed_options {
    cli_options options;
    std::string error;  // empty when the command line is valid
};

parsed_options parse_options(int argc, const char* const* argv);

// Reads a precision: a whole number from 6 to 2000, digits only.
bool parse_precision(const std::string& text, int& digits);

extern const char* const usage_text;

}  // namespace tallix
