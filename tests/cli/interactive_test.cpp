#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace tallix {
namespace {

// The program on a pseudo-terminal, as a person at a terminal would run it.
class terminal_session {
  public:
    // `runner` is a command that runs the program, such as a tracer.
    explicit terminal_session(const char* precision = "15", std::vector<const char*> runner = {}) {
        const bool traced = !runner.empty();
        runner.insert(runner.end(), {TALLIX_CLI_PATH, "-p", precision, nullptr});
        pid_ = ::forkpty(&fd_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            // The leak check at exit cannot run under a tracer.
            if (traced) ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
            ::execvp(runner[0], const_cast<char* const*>(runner.data()));
            ::_exit(127);
        }
    }
    ~terminal_session() {
        if (fd_ >= 0) ::close(fd_);
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    terminal_session(const terminal_session&) = delete;
    terminal_session& operator=(const terminal_session&) = delete;

    bool started() const { return pid_ > 0 && fd_ >= 0; }

    void type(const std::string& keys) {
        ASSERT_EQ(::write(fd_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    // Reads until `text` has appeared `times` times in all output so far.
    bool wait_for(const std::string& text, int times = 1,
                  std::chrono::milliseconds patience = std::chrono::seconds(20)) {
        auto deadline = std::chrono::steady_clock::now() + patience;
        while (count(text) < times) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buffer[4096];
            ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) return count(text) >= times;
            screen_.append(buffer, static_cast<size_t>(n));
        }
        return true;
    }

    // Keys typed while the line editor is not reading arrive in cooked mode,
    // where the kernel turns Ctrl+D into an end-of-line mark of its own; so
    // wait until the editor has put the terminal in raw mode again.
    bool wait_until_reading() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        termios mode{};
        while (::tcgetattr(fd_, &mode) == 0 && (mode.c_lflag & ICANON) != 0) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            ::usleep(10000);
        }
        return true;
    }

    // Waits until the program has used `seconds` of processor time more than
    // when called: an idle program uses next to none, so it is computing.
    bool wait_until_computing(double seconds = 0.3) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        const double start = cpu_seconds();
        while (cpu_seconds() - start < seconds) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            ::usleep(10000);
        }
        return true;
    }

    // The exit code, or -1 when the program has not ended within the deadline
    // (it is then killed, so a fault never hangs the test run).
    int exit_status() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                exited_ = true;
                return -1;
            }
            ::usleep(10000);
        }
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    const std::string& screen() const { return screen_; }

  private:
    double cpu_seconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        long ticks = 0;
        for (int i = 0; i < 13 && fields >> field; ++i)
            if (i >= 11) ticks += std::stol(field);  // utime and stime
        return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }

    int count(const std::string& text) const {
        int n = 0;
        for (size_t at = screen_.find(text); at != std::string::npos;
             at = screen_.find(text, at + 1))
            ++n;
        return n;
    }

    int fd_ = -1;
    pid_t pid_ = -1;
    bool exited_ = false;
    std::string screen_;
};

TEST(InteractiveTest, ResultsUnderTheLineHistoryAndCtrlD) {
    terminal_session term;
    ASSERT_TRUE(term.started());
    term.type("x = 20\r");
    term.type("x+1\r");
    ASSERT_TRUE(term.wait_for("\n21\r\n")) << term.screen();
    ASSERT_TRUE(term.wait_until_reading());
    term.type("\x1b[A\r");  // the previous line again, from the history
    ASSERT_TRUE(term.wait_for("\n21\r\n", 2)) << term.screen();
    ASSERT_TRUE(term.wait_until_reading());
    term.type("\x04");
    EXPECT_EQ(term.exit_status(), 0) << term.screen();
}

// Thousands of millions of halvings at 2,000 digits: only Ctrl+C ends it.
TEST(InteractiveTest, CtrlCStopsTheLineOrDropsTheTypedTextAndTheSessionGoesOn) {
    terminal_session term("2000");
    ASSERT_TRUE(term.started());
    term.type("x = 7\r");
    term.type("sqr(1e-100000000)\r");
    ASSERT_TRUE(term.wait_for("sqr(1e-100000000)\r\n")) << term.screen();
    const std::string stopped =
        "ERR2: \xe8\xa8\x88\xe7\xae\x97\xe3\x82\x92\xe4\xb8\xad\xe6\x96\xad"
        "\xe3\x81\x97\xe3\x81\xbe\xe3\x81\x97\xe3\x81\x9f\r\n";
    // Pressed once the line is computing: a Ctrl+C while the editor still
    // has the line drops the line instead.
    ASSERT_TRUE(term.wait_until_computing()) << term.screen();
    term.type("\x03");
    const bool ended = term.wait_for(stopped);
    ASSERT_TRUE(ended) << term.screen();

    ASSERT_TRUE(term.wait_until_reading());
    term.type("12345");
    ASSERT_TRUE(term.wait_for("12345"));
    term.type("\x03");  // drops the typed text and starts a fresh line
    ASSERT_TRUE(term.wait_for("12345\r\n")) << term.screen();
    ASSERT_TRUE(term.wait_until_reading());
    term.type("x+1\r");
    ASSERT_TRUE(term.wait_for("\n8\r\n")) << term.screen();
    EXPECT_EQ(term.screen().find("12345x+1"), std::string::npos) << term.screen();
    ASSERT_TRUE(term.wait_until_reading());
    term.type("\x04");
    EXPECT_EQ(term.exit_status(), 1) << term.screen();  // one line gave an error
}

// A Ctrl+C that came after the editor had echoed a key but before it read
// the next one went unseen: the editor went on waiting with the typed line
// dropped from view; so did one right after a result. The gaps are a few
// instructions wide, so a tracer holds the program for a moment after each
// write it makes, the echo and the result included.
TEST(InteractiveTest, CtrlCJustAfterAnEchoOrAResultIsNotMissed) {
    terminal_session term("15", {"strace", "-o", "/dev/null", "-e", "trace=write", "-e",
                                 "inject=write:delay_exit=100000"});
    ASSERT_TRUE(term.started());
    for (int round = 1; round <= 3; ++round) {
        ASSERT_TRUE(term.wait_until_reading()) << term.screen();
        term.type("7");
        ASSERT_TRUE(term.wait_for("7", round)) << term.screen();
        term.type("\x03");
        ASSERT_TRUE(term.wait_for("7\r\n", round)) << "round " << round << ":\n" << term.screen();
    }
    // The same just after a result is written: a Ctrl+C at an empty line starts a new one.
    ASSERT_TRUE(term.wait_until_reading());
    term.type("1+1\r");
    ASSERT_TRUE(term.wait_for("\n2\r\n")) << term.screen();
    term.type("\x03");
    ASSERT_TRUE(term.wait_for("^C\r\n")) << term.screen();
    ASSERT_TRUE(term.wait_until_reading());
    term.type("\x04");
    EXPECT_EQ(term.exit_status(), 0) << term.screen();
}

// Without the line editor (its library cannot be loaded), Ctrl+C drops the
// typed text and the session goes on; it once ended the session.
TEST(InteractiveTest, WithoutTheLineEditorCtrlCDropsTheTypedText) {
    char folder[] = "/tmp/tallix-no-editor-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string library = std::string(folder) + "/libedit.so.2";
    std::ofstream(library).close();  // empty: not a library
    ::setenv("LD_LIBRARY_PATH", folder, 1);
    terminal_session term;
    ::unsetenv("LD_LIBRARY_PATH");
    ASSERT_TRUE(term.started());
    term.type("x = 3\r1+1\r");
    ASSERT_TRUE(term.wait_for("\n2\r\n")) << term.screen();  // the session is under way
    term.type("12\x03");
    ASSERT_TRUE(term.wait_for("^C\r\n")) << term.screen();
    term.type("x+1\r");
    EXPECT_TRUE(term.wait_for("\n4\r\n")) << term.screen();
    term.type("\x04");
    EXPECT_EQ(term.exit_status(), 0) << term.screen();
    ::unlink(library.c_str());
    ::rmdir(folder);
}

}  // namespace
}  // namespace tallix
