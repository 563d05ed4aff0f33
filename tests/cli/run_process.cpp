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

// Pumps input into the child and drains its two outputs until all are done,
// so neither side can block the other.
void pump(int in_fd, int out_fd, int err_fd, const std::string& input, process_result& r) {
    size_t written = 0;
    if (input.empty()) close_fd(in_fd);
    char buffer[65536];
    while (out_fd >= 0 || err_fd >= 0) {
        pollfd fds[3] = {{in_fd, POLLOUT, 0}, {out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (in_fd >= 0 && (fds[0].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t n = ::write(in_fd, input.data() + written, input.size() - written);
            if (n > 0) written += static_cast<size_t>(n);
            if (n < 0 || written == input.size()) close_fd(in_fd);
        }
        int* readers[2] = {&out_fd, &err_fd};
        std::string* sinks[2] = {&r.out, &r.err};
        for (int k = 0; k < 2; ++k) {
            if (*readers[k] < 0 || !(fds[k + 1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            ssize_t n = ::read(*readers[k], buffer, sizeof buffer);
            if (n > 0) {
                sinks[k]->append(buffer, static_cast<size_t>(n));
            } else {
                close_fd(*readers[k]);
            }
        }
    }
    close_fd(in_fd);
}

}  // namespace

process_result run_process(const std::string& program, const std::vector<std::string>& args,
                           const std::string& input) {
    ::signal(SIGPIPE, SIG_IGN);
    pipe_pair in, out, err;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork");
    if (pid == 0) {
        ::dup2(in.read_end, STDIN_FILENO);
        ::dup2(out.write_end, STDOUT_FILENO);
        ::dup2(err.write_end, STDERR_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    close_fd(in.read_end);
    close_fd(out.write_end);
    close_fd(err.write_end);
    process_result r;
    pump(in.write_end, out.read_end, err.read_end, input, r);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace tallix
