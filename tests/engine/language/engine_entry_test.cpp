#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <thread>

#include "engine/engine.h"
#include "engine/language/engine_state.h"
#include "engine/number/precision.h"
#include "line_fixture.h"

namespace tallix {
namespace {

class EngineEntryTest : public LineTest {
  protected:
    // A built-in of the tests' own, for failures no real line can cause on demand.
    static void add_function(const char* name, handler1 handler) {
        NameEntry entry;
        entry.name = name;
        entry.kind = KIND_FUNCTION;
        entry.func_name = name;
        entry.handler.f1 = handler;
        entry.nargs = 1;
        name_table.push_back(entry);
    }
};

lf exhaust_memory(const lf&) {
    throw std::bad_alloc();
}
lf fail_inside(const lf&) {
    throw std::logic_error("a fault of the engine");
}

TEST_F(EngineEntryTest, ResultCarriesTheEnginesErrorNumber) {
    struct Case {
        std::string_view line;
        std::string text;
        int error;
    };
    const Case cases[] = {
        {"1+2", "3", 0},
        {"a = 5", "", 0},
        {"# ERR1", "", 0},
        {"1 2", SYNTAX_ERROR, 1},
        {"b = 1/0", DIVISION_BY_ZERO, 3001},
        {"a*sqr(-1)", "ERR3005: sqr()の実引数が負", 3005},
    };
    for (const Case& c : cases) {
        const line_result result = evaluate_text(c.line);
        EXPECT_EQ(result.text, c.text) << "«" << c.line << "»";
        EXPECT_EQ(result.error, c.error) << "«" << c.line << "»";
        EXPECT_FALSE(result.cut);
    }
}

TEST_F(EngineEntryTest, LongLineIsCutBeforeTheCharacterTheLimitSplits) {
    // A two-byte character in a comment straddles the limit: it goes whole.
    const std::string head = "1+1 #" + std::string(MAX_LINE_BYTES - 6, ' ');
    const line_result cut = evaluate_text(head + "é+1");
    EXPECT_EQ(cut.text, "2");
    EXPECT_TRUE(cut.cut);
    EXPECT_EQ(std::string(input_buffer), head + "\n");

    const line_result whole = evaluate_text(head + "x");
    EXPECT_FALSE(whole.cut);
    EXPECT_EQ(std::string(input_buffer), head + "x\n");

    // Bytes that are no text still reach the scanner, which names them.
    const line_result garbage = evaluate_text(std::string(MAX_LINE_BYTES + 1, '\x80'));
    EXPECT_NE(garbage.error, 0);
    EXPECT_TRUE(garbage.cut);
}

TEST_F(EngineEntryTest, AnyExceptionBecomesAnErrorLineAndTheEngineCarriesOn) {
    add_function("exhaust", exhaust_memory);
    add_function("fail", fail_inside);
    eval("x = 3");
    struct Case {
        std::string line;
        std::string text;
        int error;
    };
    const Case cases[] = {
        {"x + (1 + exhaust(2))", "ERR1002: メモリ不足", 1002},
        // Deep enough that the parser's stack lives on the heap.
        {std::string(3900, '(') + "exhaust(1)", "ERR1002: メモリ不足", 1002},
        {"y = fail(1)", "ERR5: 内部エラー", 5},
    };
    for (const Case& c : cases) {
        const line_result result = evaluate_text(c.line);
        EXPECT_EQ(result.text, c.text);
        EXPECT_EQ(result.error, c.error);
        EXPECT_TRUE(temp_list.empty());
        EXPECT_TRUE(parser_stack_blocks.empty());
        EXPECT_EQ(eval("x*2"), "6");
    }
}

TEST_F(EngineEntryTest, PrecisionOutsideTheUserRangeIsRefused) {
    for (int digits : {MIN_PRECISION - 1, MAX_PRECISION + 1, 0, -15, STARTUP_PRECISION}) {
        EXPECT_THROW(set_precision(digits), std::invalid_argument) << digits;
        EXPECT_EQ(prec_digits, DEFAULT_PRECISION);
    }
    for (int digits : {MIN_PRECISION, MAX_PRECISION}) {
        set_precision(digits);
        EXPECT_EQ(prec_digits, digits);
    }
}

TEST_F(EngineEntryTest, ResetStartsAFreshRun) {
    const std::string first_random = eval("rnd");
    eval("v = 2");
    set_precision(50);
    eval("pi");
    reset_engine();
    EXPECT_EQ(eval("v"), UNSET_VARIABLE);
    EXPECT_EQ(eval("rnd"), first_random);
    EXPECT_EQ(eval("pi"), "3.14159265358979");  // not the 50-digit value cached before
}

#ifndef NDEBUG
TEST_F(EngineEntryTest, DebugBuildsStopASecondThreadThatEvaluates) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            std::thread slow([] { evaluate_text("sqr(1e-100000000)"); });
            while (!line_running)
                std::this_thread::yield();
            evaluate_text("1");
        },
        "two threads evaluate");
}
#endif

}  // namespace
}  // namespace tallix
