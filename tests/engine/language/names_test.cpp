#include "engine/language/name_table.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>

#include "line_fixture.h"

namespace tallix {
namespace {

class NamesTest : public LineTest {};

TEST_F(NamesTest, BuiltinsComeFirstInTableOrder) {
    ASSERT_GE(name_table.size(), builtin_count());
    for (size_t i = 0; i < builtin_count(); ++i) {
        const NameEntry& entry = name_table[i];
        EXPECT_EQ(entry.name, func_table[i].name);
        EXPECT_EQ(entry.func_name, func_table[i].name);
        EXPECT_EQ(entry.kind, KIND_FUNCTION);
        EXPECT_EQ(entry.nargs, func_table[i].nargs);
        EXPECT_EQ(entry.handler.f0, func_table[i].handler.f0);
    }
}

// Each built-in answers to its own name with its own function and number of
// arguments; the values (checked against mpmath) tell the functions apart.
TEST_F(NamesTest, EveryBuiltinAnswersToItsName) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"abs(-2.5)", "2.5"},
        {"arccos(0.5)", "1.0471975511966"},
        {"angle(1, 2)", "1.10714871779409"},
        {"arcsin(0.5)", "0.523598775598299"},
        {"arctan(0.5)", "0.463647609000806"},
        {"ceil(1.5)", "2"},
        {"cos(0.5)", "0.877582561890373"},
        {"cosh(0.5)", "1.12762596520638"},
        {"cot(0.5)", "1.83048772171245"},
        {"cosec(0.5)", "2.08582964293349"},
        {"date", "-1"},
        {"deg(1)", "57.2957795130823"},
        {"eps(1)", "1.0e-18"},
        {"exp(0.5)", "1.64872127070013"},
        {"fp(-1.5)", "-0.5"},
        {"int(-1.5)", "-2"},
        {"ip(-1.5)", "-1"},
        {"log(0.5)", "-0.693147180559945"},
        {"log10(0.5)", "-0.301029995663981"},
        {"log2(0.5)", "-1"},
        {"max(2, 3)", "3"},
        {"maxnum", "1.79769313486232e308"},
        {"min(2, 3)", "2"},
        {"mod(-7, 3)", "2"},
        {"pi", "3.14159265358979"},
        {"rad(1)", "0.0174532925199433"},
        {"remainder(-7, 3)", "-1"},
        {"round(2.567, 2)", "2.57"},
        {"sec(0.5)", "1.13949392732455"},
        {"sgn(-2.5)", "-1"},
        {"sin(0.5)", "0.479425538604203"},
        {"sinh(0.5)", "0.521095305493747"},
        {"sqr(0.5)", "0.707106781186548"},
        {"tan(0.5)", "0.546302489843791"},
        {"tanh(0.5)", "0.46211715726001"},
        {"time", "-1"},
        {"truncate(2.567, 2)", "2.56"},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(eval(line), expected) << "«" << line << "»";
    const std::string first = eval("rnd");  // the one built-in without a fixed value
    EXPECT_EQ(first.rfind("0.", 0), 0u) << first;
    EXPECT_EQ(builtin_count(), std::size(cases) + 1);
}

TEST_F(NamesTest, LookupIgnoresLetterCaseOnly) {
    NameEntry v;
    v.name = "Total_2";
    v.kind = KIND_VARIABLE;
    add_variable(v);
    struct Case {
        std::string_view text;
        const char* found;  // nullptr: not found
    };
    const Case cases[] = {
        {"SIN", "SIN"},         {"sin", "SIN"},         {"Log10", "LOG10"},
        {"total_2", "Total_2"}, {"TOTAL_2", "Total_2"}, {"total2", nullptr},
        {"sinh", "SINH"},       {"sin_", nullptr},      {"", nullptr},
    };
    for (const Case& c : cases) {
        const NameEntry* entry = lookup(c.text);
        if (c.found == nullptr) {
            EXPECT_EQ(entry, nullptr) << c.text;
        } else {
            ASSERT_NE(entry, nullptr) << c.text;
            EXPECT_EQ(entry->name, c.found);
        }
    }
}

TEST_F(NamesTest, FirstEntryWins) {
    NameEntry shadow;
    shadow.name = "pi";
    shadow.kind = KIND_VARIABLE;
    add_variable(shadow);
    EXPECT_EQ(lookup("PI")->kind, KIND_FUNCTION);
    EXPECT_EQ(eval("pi = 3"), ASSIGN_TO_FUNCTION);
}

TEST_F(NamesTest, VariablesAreDeepCopies) {
    NameEntry original;
    original.name = "orig";
    original.kind = KIND_VARIABLE;
    original.value.value.parse("1.5");
    NameEntry& stored = add_variable(original);
    original.name = "changed";
    original.value.value.parse("9");
    EXPECT_EQ(stored.name, "orig");
    EXPECT_EQ(stored.value.value.to_string(), "1.5");
    EXPECT_EQ(eval("orig*2"), "3");
}

TEST_F(NamesTest, TableEntriesStayPutAsItGrows) {
    eval("first = 1");
    const NameEntry* first = lookup("first");
    for (int i = 0; i < 1000; ++i)
        eval("v" + std::to_string(i) + " = " + std::to_string(i));
    EXPECT_EQ(lookup("first"), first);
    EXPECT_EQ(eval("v999 + first"), "1'000");
}

}  // namespace
}  // namespace tallix
