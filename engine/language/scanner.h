#pragma once

#include <string_view>

#include "engine/language/node.h"

namespace tallix {

// Token codes shared with the grammar. A single character comes through as
// its code taken as a signed 8-bit number; 0 or below ends the input.
namespace token {
inline constexpr int END = 0;
inline constexpr int NEW = 258;
inline constexpr int VAR = 259;
inline constexpr int FUNC = 260;
inline constexpr int KIND3 = 261;
inline constexpr int NUMBER = 262;
inline constexpr int EOL = 277;
}  // namespace token

// Cuts one line into tokens. At every position the longest text any rule
// matches is taken; numbers, names, the line end, comments, blanks and single
// characters are tried in that order.
class Scanner {
  public:
    // Starts over on new input; nothing of the previous input is kept.
    void switch_to(std::string_view input);

    // Returns the next token's code. For NUMBER, `value` is a new ValueNode;
    // for a name, the table entry or a fresh NameEntry. Both new kinds are
    // owned by temp_list.
    int next_token(Node*& value);

  private:
    int scan_number(Node*& value);
    int scan_name(Node*& value);
    const char* number_end() const;
    const char* exponent_end(const char* p) const;
    bool is_digit_at(const char* p) const;

    const char* pos_ = nullptr;
    const char* end_ = nullptr;
};

}  // namespace tallix
