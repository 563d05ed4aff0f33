#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "engine/functions/functions.h"
#include "engine/language/engine.h"
#include "engine/language/name_table.h"
#include "engine/language/temp_list.h"

namespace tallix {

// Hands lines to the engine the way the console does and starts every test
// from a fresh run: built-ins only, 15 digits, caches forgotten.
class LineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (name_table.empty()) register_builtins();
        while (name_table.size() > builtin_count())
            name_table.pop_back();
        reset_function_caches();
        set_precision(15);
    }

    static size_t builtin_count() {
        size_t n = 0;
        while (func_table[n].name[0] != '\0')
            ++n;
        return n;
    }

    // The line's bytes, then "\n" and NUL, as the console copies them.
    static std::string eval(std::string_view line) {
        if (line.size() > static_cast<size_t>(MAX_LINE_BYTES)) {
            ADD_FAILURE() << "a console line never holds " << line.size() << " bytes";
            return {};
        }
        std::memcpy(input_buffer, line.data(), line.size());
        input_buffer[line.size()] = '\n';
        input_buffer[line.size() + 1] = '\0';
        output_buffer[0] = '\0';
        evaluate_line();
        EXPECT_TRUE(temp_list.empty()) << "after «" << line << "»";
        return output_buffer;
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
