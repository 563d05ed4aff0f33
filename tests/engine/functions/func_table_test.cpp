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
    const func_entry* e = func_table;
    while (e->name[0] != '\0' && name != e->name)
        ++e;
    return e;
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

TEST_F(FuncTableTest, RecordsHoldTheHandlerOfTheirName) {
    const std::vector<std::pair<const char*, handler1>> unary = {
        {"ABS", ABS}, {"SGN", SGN},   {"EPS", EPS}, {"SQR", SQR}, {"INT", INT},     {"IP", IP},
        {"FP", FP},   {"CEIL", CEIL}, {"EXP", EXP}, {"LOG", LOG}, {"LOG10", LOG10}, {"LOG2", LOG2}};
    for (const auto& [name, function] : unary)
        EXPECT_EQ(find(name)->handler.f1, function) << name;
    const std::vector<std::pair<const char*, handler2>> binary = {
        {"MAX", MAX},     {"MIN", MIN},          {"MOD", MOD}, {"REMAINDER", REMAINDER},
        {"ROUND", ROUND}, {"TRUNCATE", TRUNCATE}};
    for (const auto& [name, function] : binary)
        EXPECT_EQ(find(name)->handler.f2, function) << name;
    const std::vector<std::pair<const char*, handler0>> nullary = {
        {"MAXNUM", MAXNUM}, {"RND", RND}, {"DATE", DATE}, {"TIME", TIME}};
    for (const auto& [name, function] : nullary)
        EXPECT_EQ(find(name)->handler.f0, function) << name;
}

}  // namespace
}  // namespace tallix::testing
