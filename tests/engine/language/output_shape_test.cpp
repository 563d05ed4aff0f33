#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/number/lf_exception.h"
#include "line_fixture.h"

namespace tallix {
namespace {

class OutputShapeTest : public LineTest {};

// Whatever the engine writes below a line reads as an output: numbers in
// every form and range at small, default and large precisions, and every
// error line.
TEST_F(OutputShapeTest, EveryOutputHasTheShape) {
    const std::vector<std::string> lines = {
        "0",         "1+1",       "-1/3",     "1/30000",         "0.0001",      "0.00012",
        "10^14",     "10^15",     "-10^15",   "2^0.5*1e-10",     "1e300*1e300", "123456.789",
        "1000*1000", "-999.5",    "1/7*1e14", "pi*1e-4",         "exp(100)",    "-exp(-100)",
        "sqr(2)",    "1'234'567", "0.5",      "99999999999999.5"};
    for (int digits : {6, 15, 40}) {
        set_precision(digits);
        for (const std::string& line : lines) {
            const std::string output = eval(line);
            EXPECT_TRUE(has_output_shape(output)) << line << " at " << digits << ": " << output;
        }
    }
    for (const error_text& error : errors::all) {
        const std::string line = "ERR" + std::to_string(error.code) + ": " + error.message;
        EXPECT_TRUE(has_output_shape(line)) << line;
    }
}

TEST_F(OutputShapeTest, InputIsNotAnOutput) {
    const char* const lines[] = {
        "",
        "1+1",
        "x",
        "1000000",  // results group their digits
        "1'00",
        "1'0000",
        "01",
        "0'123",
        "1.",
        ".5",
        "+5",
        " 5",
        "5 ",
        "-0",
        "1e20",
        "1.5E20",
        "1.5e",
        "15.0e3",
        "1'234.5'6",
        "ERR3001: 0除算 ",
        "ERR3001: 負数の非整数乗",
        "ERR03001: 0除算",
        "ERR9: fake",
        "ERR1:構文エラー",
        "# 5",
    };
    for (const char* line : lines)
        EXPECT_FALSE(has_output_shape(line)) << "«" << line << "»";
}

TEST_F(OutputShapeTest, ForgettingVariablesKeepsTheBuiltins) {
    EXPECT_EQ(eval_all({"a = 2", "b = a*3", "b"}), "6");
    forget_variables();
    EXPECT_EQ(eval("b"), "ERR3101: 初期化されていない変数");
    EXPECT_EQ(eval("a"), "ERR3101: 初期化されていない変数");
    EXPECT_EQ(eval("max(sqr(16), 3)"), "4");
    EXPECT_EQ(eval_all({"a = 5", "a"}), "5");
}

}  // namespace
}  // namespace tallix
