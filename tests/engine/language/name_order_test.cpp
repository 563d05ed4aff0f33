// Lookups through the table's index find what a scan from the front would: the first entry
// whose name matches with ASCII letters folded, nothing else, in a table of any length and
// after the table was cut back to its built-ins and filled again.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "engine/language/name_table.h"
#include "line_fixture.h"

namespace tallix {
namespace {

class NameOrderTest : public LineTest {
  protected:
    static NameEntry& add(std::string_view name, int marker) {
        NameEntry entry;
        entry.name = name;
        entry.kind = KIND_VARIABLE;
        entry.nargs = marker;  // tells entries of the same name apart
        name_table.push_back(entry);
        return name_table.back();
    }

    // What a scan from the front finds: the reference the index must agree with.
    static const NameEntry* scanned(std::string_view text) {
        for (const NameEntry& entry : name_table) {
            if (entry.name.size() != text.size()) continue;
            bool same = true;
            for (size_t i = 0; i < text.size() && same; ++i) {
                const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
                same = fold(entry.name[i]) == fold(text[i]);
            }
            if (same) return &entry;
        }
        return nullptr;
    }
};

// Bytes that differ from a letter by the case bit only, but are not letters, and bytes
// beyond ASCII, must match exactly.
TEST_F(NameOrderTest, OnlyAsciiLettersFoldAndLengthCounts) {
    add("At@", 1);
    add("a[b", 2);
    add("\xc3\xa4x", 3);  // ä
    add(std::string(5000, 'Q'), 4);
    add(std::string("nul\0x", 5), 5);
    struct Case {
        std::string text;
        int marker;  // 0: not found
    };
    const std::vector<Case> cases = {
        {"AT@", 1},
        {"at@", 1},
        {"at`", 0},  // '`' is '@' with the case bit
        {"A[B", 2},
        {"a{b", 0},  // '{' is '[' with the case bit
        {"\xc3\xa4X", 3},
        {"\xc3\x84x", 0},  // Ä: not an ASCII letter, not folded
        {std::string(5000, 'q'), 4},
        {std::string(4999, 'q'), 0},
        {std::string(5001, 'q'), 0},
        {std::string("NUL\0X", 5), 5},
        {"nul", 0},
        {"At", 0},
        {"At@ ", 0},
    };
    for (const Case& c : cases) {
        const NameEntry* entry = lookup(c.text);
        EXPECT_EQ(entry, scanned(c.text)) << c.text.substr(0, 20);
        if (c.marker == 0) {
            EXPECT_EQ(entry, nullptr) << c.text.substr(0, 20);
        } else {
            ASSERT_NE(entry, nullptr) << c.text.substr(0, 20);
            EXPECT_EQ(entry->nargs, c.marker) << c.text.substr(0, 20);
        }
    }
}

// Entries of one name in several spellings: the earliest answers, also once the table is
// cut back past some of them, and an entry added after the cut answers in their place.
TEST_F(NameOrderTest, EarliestOfEqualNamesAnswersAcrossCuts) {
    const size_t builtins = name_table.size();
    add("rate", 1);
    add("RATE", 2);
    add("Rate", 3);
    add("other", 4);
    EXPECT_EQ(lookup("rAtE")->nargs, 1);
    EXPECT_EQ(lookup("SIN")->kind, KIND_FUNCTION);  // a variable named like a built-in loses
    add("sin", 5);
    EXPECT_EQ(lookup("sin")->kind, KIND_FUNCTION);

    name_table.resize(builtins + 2);  // "rate" and "RATE" stay
    EXPECT_EQ(lookup("Rate")->nargs, 1);
    EXPECT_EQ(lookup("other"), nullptr);
    name_table.resize(builtins);
    EXPECT_EQ(lookup("rate"), nullptr);
    add("other", 6);
    add("RaTe", 7);
    EXPECT_EQ(lookup("OTHER")->nargs, 6);
    EXPECT_EQ(lookup("rate")->nargs, 7);
    EXPECT_EQ(lookup("rate"), &name_table[builtins + 1]);
}

// The engine's own path: a hundred thousand assignments each make one new variable, all of
// them answer afterwards in any case, and the name keeps the spelling of its first assignment.
TEST_F(NameOrderTest, EveryOneOfManyVariablesAnswers) {
    const int count = 100'000;
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(eval("Var" + std::to_string(i) + " = " + std::to_string(i)), "");
    ASSERT_EQ(name_table.size(), builtin_count() + count);
    for (int i = 0; i < count; i += 997) {
        const std::string lower = "var" + std::to_string(i);
        const NameEntry* entry = lookup(lower);
        ASSERT_NE(entry, nullptr) << lower;
        EXPECT_EQ(entry, &name_table[builtin_count() + size_t(i)]);
        EXPECT_EQ(entry->name, "Var" + std::to_string(i));
    }
    EXPECT_EQ(eval("VAR99999 - var0"), "99'999");
    EXPECT_EQ(eval("var100000"), UNSET_VARIABLE);
    reset_engine();
    EXPECT_EQ(lookup("var5"), nullptr);
    EXPECT_EQ(eval("var5"), UNSET_VARIABLE);
}

}  // namespace
}  // namespace tallix
