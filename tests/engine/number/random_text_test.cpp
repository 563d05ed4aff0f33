#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/number/lf.h"
#include "tests/engine/number/exact_model.h"
#include "tests/engine/number/random_operands.h"
#include "tests/engine/number/test_support.h"

using namespace tallix;
using namespace tallix::testing;

namespace {

constexpr int precisions[] = {6, 15, 16, 17, 18, 100, 2000};

// A random well-formed number text: digits with separators in the integer
// part, an optional point, an optional exponent.
std::string random_number_text(std::mt19937_64& random, int digits) {
    std::string text;
    if (random() % 3 == 0) text += random() % 2 ? '-' : '+';
    if (random() % 4 == 0) text += "00";
    size_t integer_digits = random() % 4 == 0 ? 0 : random() % (static_cast<size_t>(digits) + 12);
    size_t fraction_digits = random() % (static_cast<size_t>(digits) + 12);
    auto digit = [&] { return static_cast<char>('0' + (random() % 5 == 0 ? 9 : random() % 10)); };
    for (size_t k = 0; k < integer_digits; ++k) {
        text += digit();
        if (random() % 7 == 0) text += random() % 2 ? '\'' : ',';
    }
    if (fraction_digits > 0 || integer_digits == 0) {
        text += '.';
        if (random() % 3 == 0) text += "0000000000";
        for (size_t k = 0; k < fraction_digits; ++k)
            text += digit();
        if (integer_digits == 0 && fraction_digits == 0) text += '7';
    }
    if (random() % 3 == 0) text += "e" + std::to_string(static_cast<int>(random() % 81) - 40);
    return text;
}

// Parsing rounds the exact value of the text like any result.
TEST(RandomText, ParseRoundsTheExactValue) {
    for (int digits : precisions) {
        precision_scope scope(digits);
        std::mt19937_64 random(static_cast<uint64_t>(digits) * 31);
        int texts = digits > 100 ? 40 : 600;
        for (int k = 0; k < texts; ++k) {
            std::string text = random_number_text(random, digits);
            SCOPED_TRACE(text);
            ASSERT_EQ(stored_of(lf(text.c_str())), round_to_limbs(exact_of_text(text), prec_limbs));
        }
    }
}

// The layout rules of a display text.
void check_layout(const std::string& shown, const rounded_decimal& value) {
    std::string body = shown.substr(shown[0] == '-' ? 1 : 0);
    EXPECT_EQ(shown[0] == '-', value.sign < 0);
    bool scientific = value.exponent < -3 || value.exponent > 14;
    EXPECT_EQ(body.find('e') != std::string::npos, scientific);
    size_t point = body.find('.');
    std::string integer_part = body.substr(0, std::min(point, body.find('e')));
    if (scientific) {
        EXPECT_EQ(point, 1u);
        EXPECT_EQ(body.substr(body.find('e') + 1), std::to_string(value.exponent - 1));
    } else {
        // Groups of three from the point leftwards, none in the fraction.
        std::string plain;
        for (char c : integer_part)
            if (c != '\'') plain += c;
        std::string grouped;
        for (size_t k = 0; k < plain.size(); ++k) {
            grouped += plain[k];
            size_t left = plain.size() - k - 1;
            if (left > 0 && left % 3 == 0) grouped += '\'';
        }
        EXPECT_EQ(integer_part, grouped);
        if (point != std::string::npos) {
            EXPECT_EQ(body.find('\'', point), std::string::npos);
            EXPECT_NE(body.back(), '0') << "trailing zero after the point";
        }
    }
}

// Display shows the value rounded half up to prec_digits significant digits,
// in the layout its size asks for, and reads back to itself.
TEST(RandomText, FormatShowsTheValueRoundedToTheDigits) {
    for (int digits : precisions) {
        precision_scope scope(digits);
        std::mt19937_64 random(static_cast<uint64_t>(digits) * 131);
        int values = digits > 100 ? 40 : 800;
        for (int k = 0; k < values; ++k) {
            lf x = random_operand(random, prec_limbs);
            x.exp = static_cast<int32_t>(random() % 9) - 3;  // around the fixed/scientific borders
            std::string shown = x.to_string();
            SCOPED_TRACE(shown);
            rounded_decimal expected = round_to_digits(exact_of(x), digits);
            check_layout(shown, expected);
            EXPECT_EQ(round_to_digits(exact_of_text(shown), digits), expected);
            ASSERT_EQ(lf(shown.c_str()).to_string(), shown);
        }
    }
}

}  // namespace
