#include "precision_fixture.h"
#include "reference_check.h"

namespace tallix::testing {
namespace {

using AgreementTest = PrecisionTest;

const std::vector<int> kEveryPrecision = {6, 15, 50};

TEST_F(AgreementTest, SquareRootIsWithinOneUnit) {
    auto cases = at_precisions(kEveryPrecision, "SQR",
                               {{"2"},
                                {"0.5"},
                                {"3"},
                                {"1e-30"},
                                {"123456.789"},
                                {"9.99e100"},
                                {"1.0000001"},
                                {"0.9999999"},
                                {"7e-300"}});
    auto full = at_precisions({2000}, "SQR", {{"2"}, {"0.001"}, {"12345"}});
    cases.insert(cases.end(), full.begin(), full.end());
    expect_agreement(cases);
}

TEST_F(AgreementTest, ExponentialIsWithinOneUnit) {
    // Arguments around the reduction's turning points (k = 0 and 1 meet at
    // ln2 / 2) as well as far out and tiny.
    auto cases = at_precisions(kEveryPrecision, "EXP",
                               {{"1"},
                                {"-1"},
                                {"0.5"},
                                {"-0.5"},
                                {"0.34657359"},
                                {"0.34657360"},
                                {"-0.34657359"},
                                {"1e-20"},
                                {"-1e-20"},
                                {"10"},
                                {"-10"},
                                {"100"},
                                {"-100"},
                                {"1000"},
                                {"-2000"},
                                {"12345.678"}});
    auto full = at_precisions({2000}, "EXP", {{"1"}, {"-0.3"}, {"5"}});
    cases.insert(cases.end(), full.begin(), full.end());
    expect_agreement(cases);
}

TEST_F(AgreementTest, LogarithmsAreWithinOneUnit) {
    // Arguments at and beside the split bounds sqrt(1/2), sqrt(2) and 1e10.
    const std::vector<std::vector<std::string>> args = {{"2"},
                                                        {"3"},
                                                        {"0.5"},
                                                        {"10"},
                                                        {"0.1"},
                                                        {"1.4142135"},
                                                        {"1.4142136"},
                                                        {"0.70710678"},
                                                        {"0.7071068"},
                                                        {"1.0000001"},
                                                        {"0.9999999"},
                                                        {"1e10"},
                                                        {"1.0000001e10"},
                                                        {"1e-300"},
                                                        {"1e300"},
                                                        {"123456789.123"},
                                                        {"1e100000"}};
    std::vector<reference_case> cases;
    for (const char* f : {"LOG", "LOG2"}) {
        auto some = at_precisions(kEveryPrecision, f, args);
        cases.insert(cases.end(), some.begin(), some.end());
    }
    auto log10 = at_precisions(kEveryPrecision, "LOG10", args);
    cases.insert(cases.end(), log10.begin(), log10.end());
    auto full = at_precisions({2000}, "LOG", {{"3"}, {"0.001"}});
    cases.insert(cases.end(), full.begin(), full.end());
    auto full2 = at_precisions({2000}, "LOG2", {{"10"}});
    cases.insert(cases.end(), full2.begin(), full2.end());
    expect_agreement(cases);
}

TEST_F(AgreementTest, PowersAreWithinOneUnit) {
    auto cases = at_precisions(kEveryPrecision, "POW",
                               {{"2", "0.5"},
                                {"1.5", "2.5"},
                                {"10", "-2"},
                                {"-8", "3"},
                                {"2", "100"},
                                {"0.5", "-3.25"},
                                {"7", "0.001"},
                                {"1.0001", "10000"},
                                {"3", "-40"},
                                {"-1.1", "-7"},
                                {"1e-10", "0.5"},
                                {"123.456", "7.89"}});
    auto full = at_precisions({2000}, "POW", {{"2", "0.5"}, {"1.5", "2.5"}});
    cases.insert(cases.end(), full.begin(), full.end());
    expect_agreement(cases);
}

TEST_F(AgreementTest, IntegerAndRoundingFunctionsAreExact) {
    const std::vector<std::vector<std::string>> one = {
        {"0"},        {"-0.5"},  {"0.5"},
        {"-1.5"},     {"2.75"},  {"-2.75"},
        {"1e9"},      {"-2e18"}, {"1234567890.123456789"},
        {"-0.000001"}};
    std::vector<reference_case> cases;
    for (const char* f : {"INT", "IP", "FP", "CEIL"}) {
        auto some = at_precisions({6, 15, 50, 2000}, f, one);
        cases.insert(cases.end(), some.begin(), some.end());
    }
    const std::vector<std::vector<std::string>> two = {
        {"7", "3"},   {"-7", "3"},       {"7", "-3"},     {"-7", "-3"},
        {"5.5", "2"}, {"100.25", "0.5"}, {"-1e6", "7.5"}, {"1e-3", "3e-4"}};
    for (const char* f : {"MOD", "REMAINDER"}) {
        auto some = at_precisions({6, 15, 50, 2000}, f, two);
        cases.insert(cases.end(), some.begin(), some.end());
    }
    const std::vector<std::vector<std::string>> places = {
        {"2.5", "0"},       {"-2.5", "0"},       {"-2.51", "0"},    {"567.89", "-2"},
        {"123.456", "1.5"}, {"123.456", "-0.5"}, {"-123.456", "2"}, {"0.000123456", "6"}};
    for (const char* f : {"ROUND", "TRUNCATE"}) {
        auto some = at_precisions({6, 15, 50, 2000}, f, places);
        cases.insert(cases.end(), some.begin(), some.end());
    }
    // Exact before display: only the display's own rounding separates them.
    expect_agreement(cases, 0.5 + 1e-6);
}

}  // namespace
}  // namespace tallix::testing
