#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../shared/sheet_cases.h"
#include "cli/options.h"
#include "run_process.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

class SheetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tallix-sheet-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string file(const std::string& content) {
        const fs::path path = dir_ / ("sheet" + std::to_string(++files_) + ".txt");
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    fs::path dir_;
    int files_ = 0;
};

TEST_F(SheetTest, PrintsTheSheetWithEveryResultRecalculated) {
    for (const test::SheetCase& sheet : test::SHEET_CASES) {
        SCOPED_TRACE(sheet.name);
        const process_result r = run_process(TALLIX_CLI_PATH, {"--sheet", file(sheet.sheet)}, "");
        EXPECT_EQ(r.out, sheet.recalculated);
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(SheetTest, StandardInputAndStatus) {
    struct Case {
        std::string sheet;
        std::string out;
        int status;
    };
    const Case cases[] = {
        {"1+1\n5\n", "1+1\n2\n", 0},
        {"1/0\n", "1/0\nERR3001: 0除算\n", 1},
        {"1 2\n", "1 2\nERR1: 構文エラー\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sheet);
        const process_result r = run_process(TALLIX_CLI_PATH, {"--sheet", "-"}, c.sheet);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.status, c.status);
    }
}

TEST_F(SheetTest, PrecisionAppliesToTheSheet) {
    const process_result r =
        run_process(TALLIX_CLI_PATH, {"-p", "30", "--sheet", file("1/3\n0.333\n")}, "");
    EXPECT_EQ(r.out, "1/3\n0.333333333333333333333333333333\n");
}

TEST_F(SheetTest, SheetTakesNoOtherInput) {
    const std::string sheet = file("1\n");
    const std::vector<Args> rejected = {
        {"--sheet", sheet, "-e", "1"},
        {"--sheet", sheet, sheet},
        {"--sheet", sheet, "--transcript"},
        {"--sheet", sheet, "--sheet", sheet},
        {"--results-per-line", "--sheet", sheet},
        {"--sheet"},
        {"--sheet="},
    };
    for (const Args& args : rejected) {
        SCOPED_TRACE(args.size() > 1 ? args[1] : args[0]);
        const process_result r = run_process(TALLIX_CLI_PATH, args, "");
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err, "");
    }
    const process_result missing =
        run_process(TALLIX_CLI_PATH, {"--sheet", (dir_ / "none.txt").string()}, "");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("none.txt"), std::string::npos);
}

}  // namespace
}  // namespace tallix
