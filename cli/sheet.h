#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine.h"

namespace tallix {

// The lines of a sheet: split at LF, CR LF and a lone CR. What follows the
// last line break is the last line, empty when the text ends with one, so
// joining the lines with LF gives the text back (with LF line breaks).
std::vector<std::string_view> sheet_lines(std::string_view text);

// What recalculating a sheet needs from its caller.
struct sheet_hooks {
    std::function<line_result(std::string_view line)> evaluate;
    std::function<void(std::string_view line)> emit;  // each line of the new sheet, in order
    std::function<bool()> stopping;  // checked before each line; the rest is emitted unchanged
};

// Goes down the lines evaluating each one. When a line's output is not empty
// and the next line has the shape of an output, that next line is the old
// result and the new output takes its place; otherwise the output, if any,
// is put in as a line of its own and the next line is input in its own right.
void recalculate_sheet(const std::vector<std::string_view>& lines, const sheet_hooks& hooks);

}  // namespace tallix
