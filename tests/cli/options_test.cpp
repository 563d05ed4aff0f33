#include "cli/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/line_reader.h"

namespace tallix {
namespace {

parsed_options parse(std::vector<const char*> args) {
    args.insert(args.begin(), "tallix-cli");
    return parse_options(static_cast<int>(args.size()), args.data());
}

TEST(OptionsTest, PrecisionText) {
    struct Case {
        const char* text;
        int expected;  // 0: refused
    };
    const Case cases[] = {
        {"6", 6},   {"2000", 2000}, {"015", 15}, {"5", 0},   {"2001", 0},
        {"", 0},    {"15.0", 0},    {"+15", 0},  {"1e3", 0}, {"99999999999999999999", 0},
        {" 15", 0}, {"0x10", 0},
    };
    for (const Case& c : cases) {
        int digits = -1;
        bool ok = parse_precision(c.text, digits);
        EXPECT_EQ(ok, c.expected != 0) << c.text;
        if (ok) {
            EXPECT_EQ(digits, c.expected) << c.text;
        }
    }
}

TEST(OptionsTest, ValuesAttachedOrSeparate) {
    parsed_options p = parse({"-p20", "-e1", "--eval=2", "--eval", "3", "-e", "-4", "f", "-"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.precision, 20);
    EXPECT_EQ(p.options.eval_texts, (std::vector<std::string>{"1", "2", "3", "-4"}));
    EXPECT_EQ(p.options.files, (std::vector<std::string>{"f", "-"}));
}

TEST(OptionsTest, DoubleDashEndsOptions) {
    parsed_options p = parse({"--", "-p", "--help"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.files, (std::vector<std::string>{"-p", "--help"}));
    EXPECT_FALSE(p.options.help);
}

TEST(OptionsTest, ModesAndTheirConflict) {
    EXPECT_EQ(parse({}).options.mode, output_mode::results);
    EXPECT_EQ(parse({"--transcript"}).options.mode, output_mode::transcript);
    EXPECT_EQ(parse({"--results-per-line"}).options.mode, output_mode::results_per_line);
    EXPECT_NE(parse({"--transcript", "--results-per-line"}).error, "");
    EXPECT_NE(parse({"--results-per-line", "--transcript"}).error, "");
}

TEST(LineSplitTest, LineEndsAsInAPaste) {
    using Lines = std::vector<std::string_view>;
    struct Case {
        std::string_view text;
        Lines expected;
    };
    const Case cases[] = {
        {"a\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\n\r\nb", {"a", "", "b"}},
        {"\r\r", {"", ""}},
        {"", {}},
        {"a", {"a"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(split_lines(c.text), c.expected);
}

}  // namespace
}  // namespace tallix
