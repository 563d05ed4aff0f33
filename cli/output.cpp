#include "cli/output.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace tallix {

namespace {

constexpr size_t BUFFER_SIZE = 65536;

}  // namespace

output::output(int fd) : fd_(fd) {
    buffer_.reserve(BUFFER_SIZE);
}

void output::write(std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    append(text);
}

void output::write_line(std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    append(text);
    append("\n");
}

void output::append(std::string_view text) {
    if (buffer_.size() + text.size() > BUFFER_SIZE) {
        write_out(buffer_);
        buffer_.clear();
    }
    if (text.size() >= BUFFER_SIZE) {
        write_out(text);
    } else {
        buffer_.append(text);
    }
}

bool output::flush() {
    std::lock_guard<std::mutex> lock(mutex_);
    write_out(buffer_);
    buffer_.clear();
    return error_.load() == 0;
}

void output::write_out(std::string_view text) {
    while (!text.empty() && error_.load() == 0) {
        ssize_t n = ::write(fd_, text.data(), text.size());
        if (n >= 0) {
            text.remove_prefix(static_cast<size_t>(n));
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // Someone handed us a non-blocking descriptor: wait as a
            // blocking one would.
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, -1);
        } else if (errno != EINTR) {
            error_.store(errno);
        }
    }
}

}  // namespace tallix
