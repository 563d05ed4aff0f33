#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace tallix {
namespace {

// The program on a pseudo-terminal, as a person at a terminal would run it.
class terminal_session {
  public:
    terminal_session() {
        pid_ = ::forkpty(&fd_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            ::execl(TALLIX_CLI_PATH, "tallix-cli", static_cast<char*>(nullptr));
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
    bool wait_for(const std::string& text, int times = 1) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
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

}  // namespace
}  // namespace tallix
