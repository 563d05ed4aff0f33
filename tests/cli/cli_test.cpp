#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_process.h"
#include "tallix_version.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// Runs the tallix-cli of the build tree this test belongs to.
process_result cli(const Args& args, const std::string& input = "") {
    return run_process(TALLIX_CLI_PATH, args, input);
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tallix-cli-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string file(const std::string& name, const std::string& content) {
        fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    fs::path dir_;
};

TEST_F(CliTest, PipeGivesTheOutputOfEachLineThatHasOne) {
    process_result r = cli({}, "1+2\nx = 3\n\n# note\nx*2\n");
    EXPECT_EQ(r.out, "3\n6\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

TEST_F(CliTest, AnyLineEndWillDo) {
    struct Case {
        std::string input;
        std::string per_line;  // one output line per input line
    };
    const Case cases[] = {
        {"1\r\n2\r\n", "1\n2\n"},
        {"1\r2\r", "1\n2\n"},
        {"1\n2", "1\n2\n"},  // a last line
                             // without a line
                             // end counts
        {"1\r\n\r\n2", "1\n\n2\n"},
        {"1\n\r2\n", "1\n\n2\n"},
        {"\r", "\n"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cli({"--results-per-line"}, c.input).out, c.per_line)
            << testing::PrintToString(c.input);
    }
}

TEST_F(CliTest, ErrorLinesGoToStandardOutputAndSetTheStatus) {
    struct Case {
        std::string input;
        std::string expected;
        int status;
    };
    const Case cases[] = {
        {"1/0\n", "ERR3001: 0除算\n", 1},
        {"1 2\n", "ERR1: 構文エラー\n", 1},
        {"sin x\n2\n", "ERR3: 引数の数が違う\n2\n", 1},
        {"2\nnever_set\n", "2\nERR3101: 初期化されていない変数\n", 1},
        {"a = 1\na\n", "1\n", 0},
        {"\n\n", "", 0},
    };
    for (const Case& c : cases) {
        process_result r = cli({}, c.input);
        EXPECT_EQ(r.out, c.expected) << c.input;
        EXPECT_EQ(r.status, c.status) << c.input;
        EXPECT_EQ(r.err, "") << c.input;
    }
}

TEST_F(CliTest, EvalLinesFirstThenFilesInOrder) {
    std::string first = file("first.txt", "a*10\nb = a + 1\n");
    std::string second = file("second.txt", "b\n");
    process_result r = cli({first, "-e", "a = 2", second, "--eval", "a"});
    EXPECT_EQ(r.out, "2\n20\n3\n");
    EXPECT_EQ(r.status, 0);
}

TEST_F(CliTest, StandardInputIsReadOnlyWhenAskedOrAlone) {
    EXPECT_EQ(cli({"-e", "2"}, "1\n").out, "2\n");
    EXPECT_EQ(cli({"-e", "a = 5", "-"}, "a+1\n").out, "6\n");
    std::string f = file("f.txt", "7\n");
    EXPECT_EQ(cli({f}, "1\n").out, "7\n");
}

TEST_F(CliTest, EvalTextMaySpanLines) {
    EXPECT_EQ(cli({"-e", "x = 4\nx^2"}).out, "16\n");
}

TEST_F(CliTest, ResultsPerLinePairsInputsWithOutputs) {
    process_result r = cli({"--results-per-line"}, "1+1\nv = 2\n\n# c\nv/0\nv\n");
    EXPECT_EQ(r.out, "2\n\n\n\nERR3001: 0除算\n2\n");
    EXPECT_EQ(r.status, 1);
}

TEST_F(CliTest, TranscriptReadsLikeTheConsole) {
    process_result r = cli({"--transcript"}, "r = 2\r\nr*3\n  # just a note\n1/0");
    EXPECT_EQ(r.out, "r = 2\nr*3\n6\n  # just a note\n1/0\nERR3001: 0除算\n");
    EXPECT_EQ(r.status, 1);
}

TEST_F(CliTest, PrecisionOption) {
    struct Case {
        Args args;
        std::string expected;
    };
    const Case cases[] = {
        {{"-e", "1/3"}, "0.333333333333333\n"},
        {{"-p", "6", "-e", "1/3"}, "0.333333\n"},
        {{"-p6", "-e", "2/3"}, "0.666667\n"},
        {{"--precision", "20", "-e", "1/3"}, "0.33333333333333333333\n"},
        {{"--precision=7", "-e", "1/3"}, "0.3333333\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cli(c.args).out, c.expected);
    std::string big = cli({"-p", "2000", "-e", "1/3"}).out;
    EXPECT_EQ(big, "0." + std::string(2000, '3') + "\n");
}

TEST_F(CliTest, BadCommandLinesEvaluateNothing) {
    std::string good = file("good.txt", "1\n");
    const Args cases[] = {
        {"-e", "1", "-p", "5"},
        {"-e", "1", "-p", "2001"},
        {"-e", "1", "-p", "15.5"},
        {"-e", "1", "-p", "-15"},
        {"-e", "1", "--precision="},
        {"-e", "1", "-p"},
        {"-e"},
        {"-e", "1", "--frobnicate"},
        {"-e", "1", "-x"},
        {"-e", "1", "--transcript=yes"},
        {"-e", "1", "--transcript", "--results-per-line"},
        {"-e", "1", good, (dir_ / "missing.txt").string()},
        {"-e", "1", dir_.string()},
    };
    for (const Args& args : cases) {
        process_result r = cli(args, "2\n");
        std::string shown = testing::PrintToString(args);
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_EQ(r.out, "") << shown;
        ASSERT_FALSE(r.err.empty()) << shown;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << shown << r.err;
    }
}

TEST_F(CliTest, TheMessageNamesTheProblem) {
    EXPECT_NE(cli({"-p", "5"}).err.find("'5'"), std::string::npos);
    EXPECT_NE(cli({"--frobnicate"}).err.find("--frobnicate"), std::string::npos);
    std::string missing = (dir_ / "missing.txt").string();
    EXPECT_NE(cli({missing}).err.find(missing), std::string::npos);
}

TEST_F(CliTest, HelpAndVersion) {
    process_result version = cli({"--version"});
    EXPECT_EQ(version.out, "Tallix " TALLIX_VERSION "\n");
    EXPECT_EQ(version.status, 0);
    process_result help = cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--results-per-line"), std::string::npos);
    EXPECT_EQ(help.err, "");
}

TEST_F(CliTest, LongLinesAreCutAsInTheWindowAndSetTheStatus) {
    const size_t limit = 7998;
    std::string fits = "1" + std::string(limit - 3, ' ') + "+1";
    std::string too_long = fits + "+1";
    process_result r = cli({}, fits + "\n" + too_long + "\n");
    EXPECT_EQ(r.out, "2\n2\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("line 1"), std::string::npos) << r.err;
    EXPECT_EQ(cli({}, fits + "\n").status, 0);
    // The transcript still shows the line as it was.
    EXPECT_EQ(cli({"--transcript"}, too_long).out, too_long + "\n2\n");
    std::string many_reads_long = "1+1" + std::string(200000, ' ');
    EXPECT_EQ(cli({"--transcript"}, many_reads_long + "\n3").out, many_reads_long + "\n2\n3\n3\n");
    // A character across the limit is left out whole, not split into a byte
    // that would end the expression.
    std::string across = "1+1" + std::string(limit - 4, ' ') + "\xe5\x86\x86";
    EXPECT_EQ(cli({}, across + "\n").out, "2\n");
    process_result cut_across = cli({"-e", across});
    EXPECT_EQ(cut_across.status, 1);
    EXPECT_NE(cut_across.err.find(std::to_string(limit - 1) + " are"), std::string::npos)
        << cut_across.err;
}

TEST_F(CliTest, BytesThatEndTheTokensArePassedThrough) {
    using namespace std::string_literals;
    EXPECT_EQ(cli({}, "x = 5 あ\nx\n").out, "ERR1: 構文エラー\n5\n");
    EXPECT_EQ(cli({}, "1 # 日本語\n").out, "1\n");
    EXPECT_EQ(cli({}, "1\0 + 2\n3\n"s).out, "ERR1: 構文エラー\n3\n");
}

}  // namespace
}  // namespace tallix
