#include "run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace tallix {

namespace {

struct pipe_pair {
    int read_end = -1;
    int write_end = -1;
    pipe_pair() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        read_end = fds[0];
        write_end = fds[1];
    }
};

void close_fd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// The child starts with the signal dispositions a shell at a terminal gives
// a command, whatever the test runner had set.
void reset_signals() {
    for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP})
        ::signal(sig, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

}  // namespace

child_process::child_process(const std::string& program, const std::vector<std::string>& args,
                             const std::string& input, bool close_input)
    : input_(input), close_input_(close_input) {
    ::signal(SIGPIPE, SIG_IGN);
    pipe_pair in, out, err;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
        ::setpgid(0, 0);
        reset_signals();
        ::dup2(in.read_end, STDIN_FILENO);
        ::dup2(out.write_end, STDOUT_FILENO);
        ::dup2(err.write_end, STDERR_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::setpgid(pid_, pid_);
    ::close(in.read_end);
    ::close(out.write_end);
    ::close(err.write_end);
    in_fd_ = in.write_end;
    // A blocking write of more than the pipe holds would wait for the child,
    // which may itself wait for us to read its output.
    ::fcntl(in_fd_, F_SETFL, O_NONBLOCK);
    out_fd_ = out.read_end;
    err_fd_ = err.read_end;
    if (input_.empty() && close_input_) close_fd(in_fd_);
}

child_process::~child_process() {
    close_fd(in_fd_);
    close_fd(out_fd_);
    close_fd(err_fd_);
    if (pid_ > 0 && !reaped_) {
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void child_process::send(int sig) {
    ::kill(pid_, sig);
}

// One round of feeding the input and draining the outputs; false once both
// outputs are closed.
bool child_process::pump(int timeout_ms) {
    if (out_fd_ < 0 && err_fd_ < 0) return false;
    const bool feeding = in_fd_ >= 0 && written_ < input_.size();
    pollfd fds[3] = {
        {feeding ? in_fd_ : -1, POLLOUT, 0}, {out_fd_, POLLIN, 0}, {err_fd_, POLLIN, 0}};
    if (::poll(fds, 3, timeout_ms) <= 0) return true;
    if (feeding && (fds[0].revents & (POLLOUT | POLLERR | POLLHUP))) {
        ssize_t n = ::write(in_fd_, input_.data() + written_, input_.size() - written_);
        if (n > 0) written_ += static_cast<size_t>(n);
        if ((n < 0 && errno != EAGAIN) || (written_ == input_.size() && close_input_))
            close_fd(in_fd_);
    }
    int* readers[2] = {&out_fd_, &err_fd_};
    std::string* sinks[2] = {&result_.out, &result_.err};
    char buffer[65536];
    for (int k = 0; k < 2; ++k) {
        if (*readers[k] < 0 || !(fds[k + 1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        ssize_t n = ::read(*readers[k], buffer, sizeof buffer);
        if (n > 0) {
            sinks[k]->append(buffer, static_cast<size_t>(n));
        } else {
            close_fd(*readers[k]);
        }
    }
    return true;
}

bool child_process::wait_until(const std::function<bool()>& condition,
                               std::chrono::seconds patience) {
    auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (!pump(50)) return condition();
    }
    return true;
}

process_result child_process::finish(std::chrono::seconds patience) {
    auto deadline = std::chrono::steady_clock::now() + patience;
    int status = 0;
    for (;;) {
        pump(50);
        pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            break;
        }
    }
    reaped_ = true;
    // What the program started must not hold its outputs open.
    ::kill(-pid_, SIGKILL);
    while (pump(50)) {
    }
    result_.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result_.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result_;
}

process_result run_process(const std::string& program, const std::vector<std::string>& args,
                           const std::string& input) {
    return child_process(program, args, input).finish();
}

}  // namespace tallix
