#include <string>
#include <vector>

#include "engine/functions/func_table.h"
#include "precision_fixture.h"

namespace tallix::testing {
namespace {

using FuncTableTest = PrecisionTest;

struct expected_record {
    const char* name;
    int nargs;
};

// Registration order, which users see when names are listed.
const std::vector<expected_record> kRecords = {
    {"ABS", 1},   {"ARCCOS", 1},   {"ANGLE", 2},     {"ARCSIN", 1}, {"ARCTAN", 1}, {"CEIL", 1},
    {"COS", 1},   {"COSH", 1},     {"COT", 1},       {"COSEC", 1},  {"DATE", 0},   {"DEG", 1},
    {"EPS", 1},   {"EXP", 1},      {"FP", 1},        {"INT", 1},    {"IP", 1},     {"LOG", 1},
    {"LOG10", 1}, {"LOG2", 1},     {"MAX", 2},       {"MAXNUM", 0}, {"MIN", 2},    {"MOD", 2},
    {"PI", 0},    {"RAD", 1},      {"REMAINDER", 2}, {"RND", 0},    {"ROUND", 2},  {"SEC", 1},
    {"SGN", 1},   {"SIN", 1},      {"SINH", 1},      {"SQR", 1},    {"TAN", 1},    {"TANH", 1},
    {"TIME", 0},  {"TRUNCATE", 2},
};

const func_entry* find(const std::string& name) {
    for (const func_entry* e = func_table; e->name[0] != '\0'; ++e) {
        if (name == e->name) return e;
    }
    return nullptr;
}

TEST_F(FuncTableTest, ThirtyEightRecordsInOrderThenTheEmptyOne) {
    size_t i = 0;
    for (; func_table[i].name[0] != '\0'; ++i) {
        ASSERT_LT(i, kRecords.size()) << "extra record " << func_table[i].name;
        EXPECT_STREQ(func_table[i].name, kRecords[i].name) << "record " << i + 1;
        EXPECT_EQ(func_table[i].nargs, kRecords[i].nargs) << func_table[i].name;
        EXPECT_NE(func_table[i].handler.f0, nullptr) << func_table[i].name;
    }
    EXPECT_EQ(i, kRecords.size());
}

TEST_F(FuncTableTest, RecordsCallTheHandlerOfTheirName) {
    const lf x = num("0.3");
    const lf y = num("-1.7");
    const std::vector<std::pair<const char*, lf (*)(const lf&)>> unary = {
        {"ABS", ABS}, {"SGN", SGN},   {"EPS", EPS}, {"SQR", SQR}, {"INT", INT},     {"IP", IP},
        {"FP", FP},   {"CEIL", CEIL}, {"EXP", EXP}, {"LOG", LOG}, {"LOG10", LOG10}, {"LOG2", LOG2},
    };
    for (const auto& [name, function] : unary) {
        const func_entry* e = find(name);
        ASSERT_NE(e, nullptr) << name;
        EXPECT_EQ(lf_compare(e->handler.f1(x), function(x)), 0) << name;
    }
    const std::vector<std::pair<const char*, lf (*)(const lf&, const lf&)>> binary = {
        {"MAX", MAX},     {"MIN", MIN},           {"MOD", MOD}, {"REMAINDER", REMAINDER},
        {"ROUND", ROUND}, {"TRUNCATE", TRUNCATE},
    };
    for (const auto& [name, function] : binary) {
        const func_entry* e = find(name);
        ASSERT_NE(e, nullptr) << name;
        EXPECT_EQ(lf_compare(e->handler.f2(y, x), function(y, x)), 0) << name;
    }
    EXPECT_EQ(shown(find("MAXNUM")->handler.f0()), shown(MAXNUM()));
    EXPECT_EQ(shown(find("DATE")->handler.f0()), "-1");
    EXPECT_EQ(shown(find("TIME")->handler.f0()), "-1");
    lf first = find("RND")->handler.f0();
    reset_function_caches();
    EXPECT_EQ(lf_compare(first, RND()), 0);
}

}  // namespace
}  // namespace tallix::testing
