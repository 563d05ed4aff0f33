#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "engine/language/name_table.h"
#include "engine/language/temp_list.h"
#include "line_fixture.h"

namespace tallix {
namespace {

std::string repeat(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// "1^1^…^1" with `n` carets. Each "1^" keeps three parser stack entries
// (the operand, "^" and the empty sign) until the line is complete; with the
// start state and the last operand the deepest stack holds 3n + 2 entries.
std::string power_tower(int n) {
    return repeat("1^", n) + "1";
}
int tower_depth(int n) {
    return 3 * n + 2;
}

class EvaluateLineTest : public LineTest {};

TEST_F(EvaluateLineTest, OutputShapes) {
    struct Case {
        std::string_view line;
        std::string expected;
    };
    const Case cases[] = {
        {"", ""},
        {"n = 1", ""},
        {"1+2", "3"},
        {"1 2", SYNTAX_ERROR},
        {"1/0", DIVISION_BY_ZERO},
        {"never_set", UNSET_VARIABLE},
        {"eps(0)", "ERR10: eps(0)は評価できない"},
        {"log10(-1)", "ERR3004: log10()の実引数が0か負"},
        {"1e99999999999", "ERR1001: オーバーフロー"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(eval(c.line), c.expected) << "«" << c.line << "»";
}

TEST_F(EvaluateLineTest, EveryErrorLeavesTheNextLineUntouched) {
    const std::string_view failing[] = {
        "1/0", "1 2", "sin x", "pi()", "q", "sqr = 1", "((((", "1 + あ", "eps(0)",
    };
    for (std::string_view line : failing) {
        eval(line);  // eval() itself checks that temp_list is empty
        EXPECT_EQ(eval("2*(3+4)"), "14") << "after «" << line << "»";
    }
}

TEST_F(EvaluateLineTest, DeepNestingGrowsTheStack) {
    const int parens = 3000;  // far beyond the 200 entries the parser starts with
    std::string line = repeat("(", parens) + "1+1" + repeat(")", parens);
    EXPECT_EQ(eval(line), "2");
}

TEST_F(EvaluateLineTest, StackLimitIsASyntaxError) {
    // The stack holds 10000 entries; the line that would fill it is refused.
    int fits = 0;
    while (tower_depth(fits + 1) < 10000)
        ++fits;
    EXPECT_EQ(eval(power_tower(fits)), "1");
    EXPECT_EQ(eval("(" + power_tower(fits)), SYNTAX_ERROR);  // unbalanced, but never gets there
    EXPECT_EQ(eval(power_tower(fits + 1)), SYNTAX_ERROR);
    EXPECT_EQ(eval(power_tower((MAX_LINE_BYTES - 1) / 2)), SYNTAX_ERROR);
    EXPECT_EQ(eval("1+1"), "2");
}

TEST_F(EvaluateLineTest, ErrorInsideDeepNestingLeaksNothing) {
    // The action's exception skips the parser's own clean-up; the heap stack
    // must still be released (the sanitizer build checks for leaks).
    for (const char* inner : {"1/0", "sin x", "undefined_name"}) {
        std::string line = repeat("(", 3900) + inner + repeat(")", 3);
        EXPECT_EQ(eval(line).rfind("ERR", 0), 0u) << inner;
    }
    EXPECT_EQ(eval(repeat("(", 3990)), SYNTAX_ERROR);
}

TEST_F(EvaluateLineTest, LongestLineIsEvaluatedWhole) {
    // Its last bytes still count.
    std::string line = "1" + std::string(MAX_LINE_BYTES - 3, ' ') + "+1";
    ASSERT_EQ(line.size(), static_cast<size_t>(MAX_LINE_BYTES));
    EXPECT_EQ(eval(line), "2");
}

TEST_F(EvaluateLineTest, TextAfterTheNulIsNeverRead) {
    // Leftovers of a longer earlier line stay in the buffer behind the NUL.
    eval("1+2+3+4+5+6+7+8+9");
    EXPECT_EQ(eval("1"), "1");
}

TEST_F(EvaluateLineTest, ErrorReplacesWhatWasPrinted) {
    // The value 1 is written before the second number is found to be wrong.
    std::snprintf(output_buffer, LINE_BUFFER_SIZE, "stale");
    EXPECT_EQ(eval("1 2"), SYNTAX_ERROR);
}

// A stop asked for from another thread while a line runs ends that line with
// error 2; the variables keep their values and the next line runs normally. A
// request made while no line runs is forgotten. (That a cache being built
// stays unbuilt is the functions' own test.)
TEST_F(EvaluateLineTest, StopFromAnotherThreadEndsOnlyTheRunningLine) {
    const std::string stopped = "ERR2: 計算を中断しました";
    // Asks again and again until the line ends: a request that lands before
    // the line starts is forgotten, one that lands while it runs stops it.
    auto eval_while_stopping = [](std::string_view line) {
        std::atomic<bool> done{false};
        std::thread stopper([&] {
            while (!done) {
                request_stop();
                std::this_thread::yield();
            }
        });
        std::string out = eval(line);
        done = true;
        stopper.join();
        return out;
    };
    set_precision(2000);
    eval("x = 7");
    EXPECT_EQ(eval_while_stopping("x = sqr(1e-100000000)"), stopped);
    EXPECT_EQ(eval("x"), "7");

    request_stop();
    EXPECT_EQ(eval("1+1"), "2");
}

}  // namespace
}  // namespace tallix
