#include <string>
#include <string_view>

#include "engine/engine.h"
#include "engine/number/lf_exception.h"

namespace tallix {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Consumes a run of digits; returns how many there were.
size_t skip_digits(std::string_view text, size_t& at) {
    const size_t start = at;
    while (at < text.size() && is_digit(text[at]))
        ++at;
    return at - start;
}

// "0", or a first group of one to three digits (not starting with 0) and
// further groups of three after "'".
bool read_grouped_integer(std::string_view text, size_t& at) {
    if (at < text.size() && text[at] == '0') {
        ++at;
        return true;
    }
    const size_t lead = skip_digits(text, at);
    if (lead == 0 || lead > 3 || text[at - lead] == '0') return false;
    while (at < text.size() && text[at] == '\'') {
        ++at;
        if (skip_digits(text, at) != 3) return false;
    }
    return true;
}

// The plain form: "1'234'567.25", "0.0001", "-12".
bool is_plain_number(std::string_view text) {
    size_t at = 0;
    if (!read_grouped_integer(text, at)) return false;
    if (at < text.size() && text[at] == '.') {
        ++at;
        if (skip_digits(text, at) == 0) return false;
    }
    return at == text.size();
}

// The scientific form: one digit from 1 to 9, ".", digits, "e", a signed exponent.
bool is_scientific_number(std::string_view text) {
    if (text.size() < 5 || text[0] < '1' || text[0] > '9' || text[1] != '.') return false;
    size_t at = 2;
    if (skip_digits(text, at) == 0 || at >= text.size() || text[at] != 'e') return false;
    ++at;
    if (at < text.size() && text[at] == '-') ++at;
    return skip_digits(text, at) > 0 && at == text.size();
}

bool is_number(std::string_view text) {
    if (!text.empty() && text[0] == '-') {
        text.remove_prefix(1);
        if (text == "0") return false;  // zero has no sign
    }
    return is_plain_number(text) || is_scientific_number(text);
}

// "ERR", the number, ": " and the message of one entry of the table.
bool is_error_line(std::string_view text) {
    constexpr std::string_view PREFIX = "ERR";
    if (text.substr(0, PREFIX.size()) != PREFIX) return false;
    size_t at = PREFIX.size();
    const size_t digits = skip_digits(text, at);
    if (digits == 0 || digits > 9 || text[PREFIX.size()] == '0' || text.substr(at, 2) != ": ")
        return false;
    const int code = std::stoi(std::string(text.substr(PREFIX.size(), digits)));
    const std::string_view message = text.substr(at + 2);
    for (const error_text& error : errors::all) {
        if (error.code == code && message == error.message) return true;
    }
    return false;
}

}  // namespace

bool has_output_shape(std::string_view line) {
    return is_number(line) || is_error_line(line);
}

}  // namespace tallix
