#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tallix {

// The first LF or CR in [p, limit), or limit.
const char* find_line_end(const char* p, const char* limit);

// Splits text held in memory the way line_reader splits a stream.
std::vector<std::string_view> split_lines(std::string_view text);

// Splits a byte stream into lines as a paste is split: at LF, CR LF or a lone
// CR. A last line without a line end is a line too. A CR is answered at once,
// without waiting to see whether an LF follows.
class line_reader {
  public:
    // `before_wait` runs before every read that may block, so output meant
    // for the lines so far can be flushed to whoever waits for it.
    line_reader(int fd, std::function<void()> before_wait);

    // The next line without its line end; false at the end of the stream or
    // on a read error (see error()).
    bool next(std::string& line);

    // The errno of a failed read, or 0.
    int error() const { return error_; }

  private:
    bool fill();

    int fd_;
    std::function<void()> before_wait_;
    char buffer_[65536];
    size_t pos_ = 0;
    size_t end_ = 0;
    bool at_end_ = false;
    bool skip_lf_ = false;  // the previous line ended in CR
    int error_ = 0;
};

}  // namespace tallix
