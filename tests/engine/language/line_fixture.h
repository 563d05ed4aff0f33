#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "engine/engine.h"
#include "engine/functions/func_table.h"
#include "engine/language/engine_state.h"

namespace tallix {

// Hands lines to the engine the way the console does and starts every test
// from a fresh run: built-ins only, 15 digits, caches forgotten.
class LineTest : public ::testing::Test {
  protected:
    void SetUp() override { reset_engine(); }

    static size_t builtin_count() {
        size_t n = 0;
        while (func_table[n].name[0] != '\0')
            ++n;
        return n;
    }

    static std::string eval(std::string_view line) {
        line_result result = evaluate_text(line);
        EXPECT_TRUE(temp_list.empty()) << "after «" << line << "»";
        return result.text;
    }

    // Evaluates the lines in turn and returns the last one's output.
    static std::string eval_all(std::initializer_list<std::string_view> lines) {
        std::string out;
        for (std::string_view line : lines)
            out = eval(line);
        return out;
    }
};

inline const std::string SYNTAX_ERROR = "ERR1: 構文エラー";
inline const std::string ARGUMENT_COUNT = "ERR3: 引数の数が違う";
inline const std::string ASSIGN_TO_FUNCTION = "ERR4: 関数には代入できない";
inline const std::string DIVISION_BY_ZERO = "ERR3001: 0除算";
inline const std::string UNSET_VARIABLE = "ERR3101: 初期化されていない変数";

}  // namespace tallix
