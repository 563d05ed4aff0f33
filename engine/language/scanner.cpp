#include "engine/language/scanner.h"

#include <string>

#include "engine/language/name_table.h"
#include "engine/language/temp_list.h"

namespace tallix {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_name_char(char c) {
    return is_letter(c) || is_digit(c) || c == '_';
}

}  // namespace

void Scanner::switch_to(std::string_view input) {
    pos_ = input.data();
    end_ = input.data() + input.size();
}

bool Scanner::is_digit_at(const char* p) const {
    return p < end_ && is_digit(*p);
}

int Scanner::next_token(Node*& value) {
    value = nullptr;
    while (pos_ < end_) {
        char c = *pos_;
        if (is_digit(c) || (c == '.' && is_digit_at(pos_ + 1))) return scan_number(value);
        if (is_letter(c)) return scan_name(value);
        if (c == '\n') {
            ++pos_;
            return token::EOL;
        }
        if (c == '#') {
            // A comment runs up to the line end and may hold any byte at all.
            while (pos_ < end_ && *pos_ != '\n')
                ++pos_;
            continue;
        }
        ++pos_;
        if (c == ' ' || c == '\t' || c == '\r') continue;
        return static_cast<signed char>(c);
    }
    return token::END;
}

// Where an exponent that starts at p ("e", optional sign, digits) ends, or p
// itself when the text there is not a complete exponent.
const char* Scanner::exponent_end(const char* p) const {
    if (p >= end_ || (*p != 'e' && *p != 'E')) return p;
    const char* q = p + 1;
    if (q < end_ && (*q == '+' || *q == '-')) ++q;
    if (!is_digit_at(q)) return p;
    while (is_digit_at(q))
        ++q;
    return q;
}

// The longest number at the current position. Apostrophes count only between
// digits of the integer part, so a trailing run of them is given back.
const char* Scanner::number_end() const {
    const char* p = pos_;
    if (*p != '.') {
        const char* last_digit = p;
        for (const char* q = p; q < end_ && (is_digit(*q) || *q == '\''); ++q) {
            if (is_digit(*q)) last_digit = q;
        }
        p = last_digit + 1;
        if (p < end_ && *p == '.') {
            ++p;
            while (is_digit_at(p))
                ++p;
        }
    } else {
        ++p;
        while (is_digit_at(p))
            ++p;
    }
    return exponent_end(p);
}

int Scanner::scan_number(Node*& value) {
    const char* end = number_end();
    std::string text(pos_, end);
    pos_ = end;
    ValueNode* number = make_temp<ValueNode>();
    value = number;
    number->value.parse(text.c_str());
    return token::NUMBER;
}

int Scanner::scan_name(Node*& value) {
    const char* end = pos_ + 1;
    while (end < end_ && is_name_char(*end))
        ++end;
    std::string_view text(pos_, static_cast<size_t>(end - pos_));
    pos_ = end;
    if (NameEntry* entry = lookup(text)) {
        value = entry;
        switch (entry->kind) {
            case KIND_VARIABLE:
                return token::VAR;
            case KIND_FUNCTION:
                return token::FUNC;
            default:
                return token::KIND3;
        }
    }
    NameEntry* fresh = make_temp<NameEntry>();
    fresh->name.assign(text);
    value = fresh;
    return token::NEW;
}

}  // namespace tallix
