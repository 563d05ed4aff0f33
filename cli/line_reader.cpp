#include "cli/line_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "cli/termination.h"

namespace tallix {

const char* find_line_end(const char* p, const char* limit) {
    while (p < limit && *p != '\n' && *p != '\r')
        ++p;
    return p;
}

std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    const char* p = text.data();
    const char* limit = p + text.size();
    while (p < limit) {
        const char* stop = find_line_end(p, limit);
        lines.emplace_back(p, static_cast<size_t>(stop - p));
        if (stop == limit) break;
        p = stop + 1;
        if (*stop == '\r' && p < limit && *p == '\n') ++p;
    }
    return lines;
}

line_reader::line_reader(int fd, size_t keep, std::function<void()> before_wait)
    : fd_(fd), keep_(keep), before_wait_(std::move(before_wait)) {}

bool line_reader::fill() {
    if (at_end_) return false;
    if (before_wait_) before_wait_();
    for (;;) {
        if (!wait_for_input(fd_)) {
            at_end_ = true;
            return false;
        }
        ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
        if (n > 0) {
            pos_ = 0;
            end_ = static_cast<size_t>(n);
            return true;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error_ = errno;
        at_end_ = true;
        return false;
    }
}

bool line_reader::next(std::string& line) {
    line.clear();
    bool have_text = false;
    for (;;) {
        if (pos_ == end_ && !fill()) return have_text;
        if (skip_lf_) {
            skip_lf_ = false;
            if (buffer_[pos_] == '\n') {
                ++pos_;
                continue;
            }
        }
        const char* start = buffer_ + pos_;
        const char* limit = buffer_ + end_;
        const char* stop = find_line_end(start, limit);
        take(line, start, stop);
        if (stop == limit) {
            pos_ = end_;
            have_text = true;
            continue;
        }
        pos_ = static_cast<size_t>(stop - buffer_) + 1;
        skip_lf_ = *stop == '\r';
        return true;
    }
}

void line_reader::take(std::string& line, const char* start, const char* stop) {
    size_t length = static_cast<size_t>(stop - start);
    size_t kept = std::min(length, keep_ - std::min(keep_, line.size()));
    line.append(start, kept);
    if (kept < length && on_drop_) on_drop_(line, std::string_view(start + kept, length - kept));
}

}  // namespace tallix
