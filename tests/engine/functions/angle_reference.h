#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "engine/functions/functions.h"

namespace tallix::testing {

// The sanitizer build is unoptimised and instrumented, so it samples the
// long sweeps and keeps the slowest functions to fewer digits.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
inline constexpr bool kFullSweeps = true;
#else
inline constexpr bool kFullSweeps = false;
#endif

// A computation and the mpmath expression of its true value (no blanks;
// decimal literals are taken exactly).
struct truth_case {
    std::string truth;
    std::function<lf()> compute;
};

// angle_reference.py lives beside reference.py.
inline std::string angle_reference_script() {
    std::string path = TALLIX_REFERENCE_SCRIPT;
    return path.substr(0, path.find_last_of('/') + 1) + "angle_reference.py";
}

// Feeds "<digits> <shown> <truth>" lines to angle_reference.py and returns,
// per line, the distance from the true value in units of the last displayed
// digit. Each run has its own input file, since tests run in parallel.
inline std::vector<double> units_off(const std::string& lines) {
    std::vector<double> units;
    char path[] = "/tmp/tallix_angle_reference_XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) return units;
    bool written = write(fd, lines.data(), lines.size()) == static_cast<ssize_t>(lines.size());
    close(fd);
    std::string command =
        std::string(TALLIX_PYTHON) + " " + angle_reference_script() + " < " + path;
    FILE* pipe = written ? popen(command.c_str(), "r") : nullptr;
    if (pipe != nullptr) {
        char line[256];
        while (std::fgets(line, sizeof line, pipe) != nullptr)
            units.push_back(std::strtod(line, nullptr));
        pclose(pipe);
    }
    unlink(path);
    return units;
}

// A displayed result, the precision it was shown at, and its true value.
struct shown_case {
    int digits;
    std::string shown;
    std::string truth;
};

// Expects each result within `allowed` units of the last displayed digit
// from its true value.
inline void expect_near_truth(const std::vector<shown_case>& cases, double allowed = 1.0) {
    std::string lines;
    for (const shown_case& c : cases)
        lines += std::to_string(c.digits) + " " + c.shown + " " + c.truth + "\n";
    std::vector<double> units = units_off(lines);
    ASSERT_EQ(units.size(), cases.size()) << "angle_reference.py did not answer every case";
    for (size_t i = 0; i < units.size(); ++i) {
        EXPECT_LE(units[i], allowed)
            << cases[i].truth << " at " << cases[i].digits << " digits shows " << cases[i].shown;
    }
}

// Runs every case at every precision, each precision from empty caches as a
// fresh run would, and holds the results against their true values to at
// most `compared_digits` digits.
inline void expect_true_to(const std::vector<int>& precisions, const std::vector<truth_case>& cases,
                           double allowed = 1.0, int compared_digits = 2000) {
    std::vector<shown_case> shown;
    for (int digits : precisions) {
        set_precision(digits);
        reset_function_caches();
        for (const truth_case& c : cases) {
            shown.push_back({std::min(digits, compared_digits), c.compute().to_string(), c.truth});
        }
    }
    expect_near_truth(shown, allowed);
}

}  // namespace tallix::testing
