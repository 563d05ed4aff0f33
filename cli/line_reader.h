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
// without waiting to see whether an LF follows. Of a line, at most `keep`
// bytes are kept, so an endless line takes no more memory than a short one.
class line_reader {
  public:
    // `before_wait` runs before every read that may block, so output meant
    // for the lines so far can be flushed to whoever waits for it.
    line_reader(int fd, size_t keep, std::function<void()> before_wait);

    // Called with the kept start of a line and the bytes after it that are
    // not kept, as they are read.
    using drop_handler = std::function<void(std::string_view kept, std::string_view dropped)>;
    void on_drop(drop_handler handler) { on_drop_ = std::move(handler); }

    // The next line without its line end; false at the end of the stream, on
    // a read error (see error()) or when a termination signal has come.
    bool next(std::string& line);

    // The errno of a failed read, or 0.
    int error() const { return error_; }

  private:
    bool fill();
    void take(std::string& line, const char* start, const char* stop);

    int fd_;
    size_t keep_;
    std::function<void()> before_wait_;
    drop_handler on_drop_;
    char buffer_[65536];
    size_t pos_ = 0;
    size_t end_ = 0;
    bool at_end_ = false;
    bool skip_lf_ = false;  // the previous line ended in CR
    int error_ = 0;
};

}  // namespace tallix
