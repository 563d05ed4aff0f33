#include "engine/language/name_table.h"

#include <gtest/gtest.h>

#include <string>

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
    EXPECT_EQ(builtin_count(), 38u);
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
