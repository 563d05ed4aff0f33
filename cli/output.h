#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

namespace tallix {

// Buffered output to a file descriptor that never loses what it was given to
// a signal (an interrupted write is resumed) and remembers the first failed
// write, after which it writes nothing more. Safe to flush from a second
// thread while the first appends.
class output {
  public:
    explicit output(int fd);
    output(const output&) = delete;
    output& operator=(const output&) = delete;

    // Appends; the buffer is written out when it is full.
    void write(std::string_view text);

    // Appends text and a line end.
    void write_line(std::string_view text);

    // Writes out what is buffered; false when this or an earlier write failed.
    bool flush();

    // The errno of the first failed write, or 0.
    int error() const { return error_.load(); }

  private:
    void append(std::string_view text);
    void write_out(std::string_view text);

    int fd_;
    std::mutex mutex_;
    std::string buffer_;
    std::atomic<int> error_{0};
};

}  // namespace tallix
