#include "cli/sheet.h"

#include <optional>

namespace tallix {

std::vector<std::string_view> sheet_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\n' && text[at] != '\r') continue;
        lines.push_back(text.substr(start, at - start));
        if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
        start = at + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

void recalculate_sheet(const std::vector<std::string_view>& lines, const sheet_hooks& hooks) {
    // The output of the line just evaluated, until the next line shows
    // whether it replaces an old result or goes in as a line of its own.
    std::optional<std::string> pending;
    size_t at = 0;
    for (; at < lines.size(); ++at) {
        const std::string_view line = lines[at];
        if (pending && !pending->empty()) {
            hooks.emit(*pending);
            if (has_output_shape(line)) {
                pending.reset();
                continue;
            }
        }
        pending.reset();
        if (hooks.stopping()) break;
        hooks.emit(line);
        pending = hooks.evaluate(line).text;
    }
    if (pending && !pending->empty()) hooks.emit(*pending);
    for (; at < lines.size(); ++at)
        hooks.emit(lines[at]);
}

}  // namespace tallix
