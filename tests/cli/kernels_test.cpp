#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "run_process.h"

namespace tallix {
namespace {

// Lines that pass through every arithmetic path: the first everyday lines
// (sums, products, quotients, powers, square roots at their sizes) and the
// functions whose loops dominate at high precision.
std::string mixed_lines() {
    std::ifstream everyday(TALLIX_SOURCE_DIR "/bench/everyday/lines.txt");
    std::ostringstream lines;
    std::string line;
    for (int i = 0; i < 300 && std::getline(everyday, line); ++i)
        lines << line << '\n';
    lines << "sqr(2)\nsqr(1e-300)\nsqr(123456789.987654321)\nexp(1)\nlog(3)\nsin(1)\ncos(2.5)\n"
             "tan(0.7)\narctan(0.5)\narctan(3)\narcsin(0.3)\narccos(-0.8)\nsinh(0.5)\n"
             "tanh(2)\n2^0.5\n7^-1.25\n1/7\n999999999.999999999^3\npi\n";
    return lines.str();
}

std::string evaluate_with(const char* kernels, int digits, const std::string& input) {
    setenv("TALLIX_KERNELS", kernels, 1);
    process_result r = run_process(
        TALLIX_CLI_PATH, {"-p", std::to_string(digits), "--results-per-line", "-"}, input);
    unsetenv("TALLIX_KERNELS");
    EXPECT_NE(r.status, -1) << kernels << ": " << r.err;
    return r.out;
}

// Every shortcut and vector kernel must print exactly what the schoolbook
// kernels print.
TEST(Kernels, EveryChoicePrintsTheSameText) {
    const std::string input = mixed_lines();
    for (int digits : {6, 15, 100, 2000}) {
        SCOPED_TRACE(::testing::Message() << digits << " digits");
        const std::string plain = evaluate_with("plain", digits, input);
        ASSERT_GT(plain.size(), input.size() / 4);
        EXPECT_EQ(evaluate_with("portable", digits, input), plain);
        EXPECT_EQ(evaluate_with("fastest", digits, input), plain);
    }
}

}  // namespace
}  // namespace tallix
