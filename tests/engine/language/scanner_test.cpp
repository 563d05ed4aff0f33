#include "engine/language/scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/language/name_table.h"
#include "engine/language/temp_list.h"
#include "line_fixture.h"

namespace tallix {
namespace {

// One token as text: "NUMBER:<display form>", "NEW:<name>", "VAR:<name>",
// "FUNC:<name>", "KIND3:<name>", "EOL", "END", or the character as 'c' (or
// its code when it is not printable ASCII).
std::string describe(int code, const Node* value) {
    auto name = [value] { return static_cast<const NameEntry*>(value)->name; };
    switch (code) {
        case token::NUMBER:
            return "NUMBER:" + static_cast<const ValueNode*>(value)->value.to_string();
        case token::NEW:
            return "NEW:" + name();
        case token::VAR:
            return "VAR:" + name();
        case token::FUNC:
            return "FUNC:" + name();
        case token::KIND3:
            return "KIND3:" + name();
        case token::EOL:
            return "EOL";
        case token::END:
            return "END";
    }
    if (code > 32 && code < 127) return std::string("'") + static_cast<char>(code) + "'";
    return std::to_string(code);
}

// Scans `text` to the first code of 0 or below, as the parser would stop.
std::vector<std::string> tokens(std::string_view text) {
    std::vector<std::string> out;
    scanner.switch_to(text);
    for (;;) {
        Node* value = nullptr;
        int code = scanner.next_token(value);
        out.push_back(describe(code, value));
        if (code <= 0) break;
    }
    release_temporaries();
    return out;
}

using Tokens = std::vector<std::string>;

class ScannerTest : public LineTest {};

TEST_F(ScannerTest, NumbersTakeTheLongestText) {
    struct Case {
        std::string_view text;
        Tokens expected;
    };
    const Case cases[] = {
        {"1'000'000", {"NUMBER:1'000'000", "END"}},
        {"1''0", {"NUMBER:10", "END"}},
        {"1.", {"NUMBER:1", "END"}},
        {"1.5", {"NUMBER:1.5", "END"}},
        {".5", {"NUMBER:0.5", "END"}},
        {"1.e5", {"NUMBER:100'000", "END"}},
        {"1E+5", {"NUMBER:100'000", "END"}},
        {"25e-1", {"NUMBER:2.5", "END"}},
        {"12'", {"NUMBER:12", "'''", "END"}},
        {"1''", {"NUMBER:1", "'''", "'''", "END"}},
        {"1.5'0", {"NUMBER:1.5", "'''", "NUMBER:0", "END"}},
        {".", {"'.'", "END"}},
        {"..5", {"'.'", "NUMBER:0.5", "END"}},
        {"1e", {"NUMBER:1", "NEW:e", "END"}},
        {"1e+", {"NUMBER:1", "NEW:e", "'+'", "END"}},
        {"1e5e5", {"NUMBER:100'000", "NEW:e5", "END"}},
        {"1a", {"NUMBER:1", "NEW:a", "END"}},
        {"1'000 + .5", {"NUMBER:1'000", "'+'", "NUMBER:0.5", "END"}},
        {"1,5", {"NUMBER:1", "','", "NUMBER:5", "END"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tokens(c.text), c.expected) << "«" << c.text << "»";
}

TEST_F(ScannerTest, NamesAreClassifiedByTheTable) {
    NameEntry rate;
    rate.name = "Rate";
    rate.kind = KIND_VARIABLE;
    add_variable(rate);
    NameEntry reserved;
    reserved.name = "held";
    reserved.kind = KIND_RESERVED;
    add_variable(reserved);

    struct Case {
        std::string_view text;
        Tokens expected;
    };
    const Case cases[] = {
        {"2*x1", {"NUMBER:2", "'*'", "NEW:x1", "END"}},
        {"SIN(1)", {"FUNC:SIN", "'('", "NUMBER:1", "')'", "END"}},
        {"sin(1)", {"FUNC:SIN", "'('", "NUMBER:1", "')'", "END"}},
        {"rATE", {"VAR:Rate", "END"}},
        {"HELD", {"KIND3:held", "END"}},
        {"log10 log2", {"FUNC:LOG10", "FUNC:LOG2", "END"}},
        {"_x", {"'_'", "NEW:x", "END"}},
        {"New_Name_2", {"NEW:New_Name_2", "END"}},
        {"sine", {"NEW:sine", "END"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tokens(c.text), c.expected) << "«" << c.text << "»";
}

TEST_F(ScannerTest, LineEndsBlanksAndComments) {
    struct Case {
        std::string_view text;
        Tokens expected;
    };
    using namespace std::string_view_literals;
    const Case cases[] = {
        {"3 # comment\n\0"sv, {"NUMBER:3", "EOL", "END"}},
        {"#\n"sv, {"EOL", "END"}},
        {"# 日本語のコメント\n"sv, {"EOL", "END"}},
        {"# a NUL \0 inside a comment\n"sv, {"EOL", "END"}},
        {" \t\r1\t+\r2 \n"sv, {"NUMBER:1", "'+'", "NUMBER:2", "EOL", "END"}},
        {"1 # no line end"sv, {"NUMBER:1", "END"}},
        {""sv, {"END"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tokens(c.text), c.expected) << "«" << c.text << "»";
}

TEST_F(ScannerTest, NulAndHighBytesEndTheTokens) {
    struct Case {
        std::string_view text;
        Tokens expected;
    };
    using namespace std::string_view_literals;
    const Case cases[] = {
        {"x = 1 あ\n"sv, {"NEW:x", "'='", "NUMBER:1", "-29"}},  // "あ" starts with 0xE3
        {"1\0 + 2\n"sv, {"NUMBER:1", "END"}},
        {"\x80"sv, {"-128"}},
        {"\xff"sv, {"-1"}},
        {"\x7f"sv, {"127", "END"}},
        {"x\xe3"sv, {"NEW:x", "-29"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tokens(c.text), c.expected) << "«" << c.text << "»";
}

TEST_F(ScannerTest, NewInputForgetsTheOldOne) {
    scanner.switch_to("1 + 2");
    Node* value = nullptr;
    ASSERT_EQ(scanner.next_token(value), token::NUMBER);
    release_temporaries();
    EXPECT_EQ(tokens("7"), (Tokens{"NUMBER:7", "END"}));
}

TEST_F(ScannerTest, OnlyNewValuesAreOwnedByTheLine) {
    scanner.switch_to("1 + sin + z");
    Node* value = nullptr;
    while (scanner.next_token(value) > 0) {
    }
    // The number and the fresh name z; the built-in stays in the table.
    EXPECT_EQ(temp_list.size(), 2u);
    release_temporaries();
}

}  // namespace
}  // namespace tallix
