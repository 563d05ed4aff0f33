// The terminal program under the conditions a script or a user's mishap
// brings: signals, endless input, outputs that fail, few file descriptors.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run_process.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// A number from /proc/PID/FILE, given by the line starting with `key`.
long long proc_value(pid_t pid, const char* file, const std::string& key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) == 0) return std::atoll(line.c_str() + key.size());
    }
    return -1;
}

TEST(AdverseConditionsTest, SignalsEndTheRunAfterTheFinishedResults) {
    // Thousands of millions of steps: only a stop ends it.
    const std::string slow_line = "sqr(1e100000000)\n";
    struct Case {
        int sig;
        bool waiting_for_input;  // else the slow line runs
    };
    const Case cases[] = {{SIGTERM, false}, {SIGINT, false}, {SIGHUP, false},
                          {SIGTERM, true},  {SIGINT, true},  {SIGHUP, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.sig)) + (c.waiting_for_input ? ", reading" : ""));
        std::string input = c.waiting_for_input ? "1+1\n2+2\n" : "1+1\n2+2\n" + slow_line;
        child_process cli(TALLIX_CLI_PATH, {}, input, !c.waiting_for_input);
        // The results so far come out while the program waits or is slow.
        ASSERT_TRUE(cli.wait_until([&] { return cli.out() == "2\n4\n"; })) << cli.out();
        cli.send(c.sig);
        process_result r = cli.finish();
        EXPECT_EQ(r.signal, c.sig);
        if (c.waiting_for_input) {
            EXPECT_EQ(r.out, "2\n4\n");
        } else {
            EXPECT_EQ(r.out.rfind("2\n4\nERR2:", 0), 0u) << r.out;
            EXPECT_EQ(r.out.back(), '\n') << r.out;
        }
    }
}

// Resident memory is measured rather than limited: the sanitizer build
// reserves far more address space than any limit meant for the program.
TEST(AdverseConditionsTest, AnEndlessLineTakesNoMoreMemoryThanAShortOne) {
    const long long enough_to_tell = 512LL << 20;
    child_process cli(TALLIX_CLI_PATH, {"/dev/zero"}, "");
    ASSERT_TRUE(
        cli.wait_until([&] { return proc_value(cli.pid(), "io", "rchar: ") >= enough_to_tell; }));
    long long peak_kib = proc_value(cli.pid(), "status", "VmHWM:");
    EXPECT_GT(peak_kib, 0);
    EXPECT_LT(peak_kib, 128 << 10);
}

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tallix-cli-adverse-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs `script` in sh with the program as $0 and `args` as $1...
    static process_result sh(const std::string& script, const Args& args = {}) {
        Args all = {"-c", script, TALLIX_CLI_PATH};
        all.insert(all.end(), args.begin(), args.end());
        return run_process("/bin/sh", all, "");
    }

    fs::path dir_;
};

TEST_F(ShellTest, AFailedWriteEndsTheRunWithStatus2) {
    const std::string status_file = (dir_ / "status").string();
    const char* const scripts[] = {
        "exec \"$0\" --help >/dev/full",
        "exec \"$0\" --version >/dev/full",
        "exec \"$0\" -e 1 >/dev/full",
        // The reader goes after two bytes of endless output; the write that
        // follows fails instead of killing the program.
        "trap '' PIPE; yes 1+1 | { \"$0\"; echo $? >\"$1\"; } | head -c 2; exit $(cat \"$1\")",
    };
    for (const char* script : scripts) {
        process_result r = sh(script, {status_file});
        EXPECT_EQ(r.status, 2) << script;
        EXPECT_NE(r.err.find("tallix-cli: cannot write"), std::string::npos) << script << r.err;
    }
}

TEST_F(ShellTest, FilesAreOpenedOneAtATime) {
    const int count = 100;
    Args files;
    std::string expected;
    for (int i = 1; i <= count; ++i) {
        files.push_back((dir_ / ("f" + std::to_string(i))).string());
        std::ofstream(files.back()) << i << "\n";
        expected += std::to_string(i) + "\n";
    }
    process_result r = sh("ulimit -n 32 && exec \"$0\" \"$@\"", files);
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

}  // namespace
}  // namespace tallix
