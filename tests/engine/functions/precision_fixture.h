#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/functions/functions.h"
#include "engine/number/lf_exception.h"

namespace tallix::testing {

// Every test starts as a fresh run would: empty caches, the first RND of the
// sequence, and the default 15 digits.
class PrecisionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_function_caches();
        set_precision(15);
    }
    void TearDown() override { set_precision(15); }
};

inline lf num(const char* text) {
    return lf(text);
}

inline std::string shown(const lf& x) {
    return x.to_string();
}

// The error a computation ends in, as "code message"; "none" when it returns.
inline std::string error_of(const std::function<lf()>& computation) {
    try {
        computation();
    } catch (const lf_exception& e) {
        return std::to_string(e.code()) + " " + e.what();
    }
    return "none";
}

inline std::string error_text_of(const error_text& error) {
    return std::to_string(error.code) + " " + error.message;
}

}  // namespace tallix::testing
