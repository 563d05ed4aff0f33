#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/functions/functions.h"

namespace tallix::testing {

// One call to check against the true value: a function name known to
// reference.py, its argument texts, and the precision to run it at.
struct reference_case {
    int digits;
    std::string function;
    std::vector<std::string> arguments;
};

inline lf call_by_name(const std::string& function, const std::vector<lf>& a) {
    static const std::map<std::string, lf (*)(const lf&)> unary = {
        {"SQR", SQR}, {"EXP", EXP}, {"LOG", LOG}, {"LOG10", LOG10}, {"LOG2", LOG2},
        {"INT", INT}, {"IP", IP},   {"FP", FP},   {"CEIL", CEIL},
    };
    static const std::map<std::string, lf (*)(const lf&, const lf&)> binary = {
        {"POW", lf_pow},  {"MOD", MOD},           {"REMAINDER", REMAINDER},
        {"ROUND", ROUND}, {"TRUNCATE", TRUNCATE},
    };
    if (a.size() == 1) return unary.at(function)(a[0]);
    return binary.at(function)(a[0], a[1]);
}

// Every stored digit of x, so that the reference starts from the argument as
// the engine holds it (the text may have had more digits than are kept).
inline std::string exact_text(const lf& x, int digits) {
    apply_precision(9 * x.size() + 9);
    std::string text = x.to_string();
    apply_precision(digits);
    return text;
}

// Runs reference.py over the input lines and returns its output lines.
inline std::vector<std::string> run_reference(const std::string& input) {
    // One file per process and call: ctest runs tests in parallel processes.
    static int calls = 0;
    std::string in_path = ::testing::TempDir() + "tallix_reference_" + std::to_string(getpid()) +
                          "_" + std::to_string(++calls) + ".txt";
    std::ofstream(in_path) << input;
    std::string command =
        std::string(TALLIX_PYTHON) + " " + TALLIX_REFERENCE_SCRIPT + " < " + in_path;
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return lines;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        lines.emplace_back(buffer);
    pclose(pipe);
    std::remove(in_path.c_str());
    return lines;
}

// Computes every case at its precision and expects the displayed result to lie
// within `allowed_units` units of its last displayed digit from the true value.
inline void expect_agreement(const std::vector<reference_case>& cases, double allowed_units = 1.0) {
    std::ostringstream input;
    std::vector<std::string> labels;
    for (const reference_case& c : cases) {
        set_precision(c.digits);
        std::vector<lf> args;
        std::string label = c.function + "(";
        for (const std::string& text : c.arguments) {
            args.emplace_back(text.c_str());
            label += (label.back() == '(' ? "" : ", ") + text;
        }
        std::string result = call_by_name(c.function, args).to_string();
        label += ") at " + std::to_string(c.digits) + " digits shows " + result;
        labels.push_back(label);
        input << c.digits << ' ' << result << ' ' << c.function;
        for (const lf& a : args)
            input << ' ' << exact_text(a, c.digits);
        input << '\n';
    }
    std::vector<std::string> errors = run_reference(input.str());
    ASSERT_EQ(errors.size(), cases.size()) << "reference.py did not answer every case";
    for (size_t i = 0; i < cases.size(); ++i) {
        double units = std::strtod(errors[i].c_str(), nullptr);
        EXPECT_LE(units, allowed_units) << labels[i];
    }
}

// The same cases at each of the given precisions.
inline std::vector<reference_case> at_precisions(
    const std::vector<int>& digits, const std::string& function,
    const std::vector<std::vector<std::string>>& args) {
    std::vector<reference_case> cases;
    for (int d : digits) {
        for (const auto& a : args)
            cases.push_back({d, function, a});
    }
    return cases;
}

}  // namespace tallix::testing
