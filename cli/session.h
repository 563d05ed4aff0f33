#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "cli/line_watch.h"
#include "cli/options.h"
#include "cli/output.h"

namespace tallix {

// Evaluates lines one after the other against the one variable table of the
// run and writes what each line gives, in the chosen output mode.
class session {
  public:
    // `watch`, when given, is told when each line starts and ends.
    session(output_mode mode, output& out, std::FILE* err, line_watch* watch = nullptr);

    // `where` names the line in a warning, e.g. "notes.txt, line 3".
    void evaluate(std::string_view line, const std::string& where);

    // For a line too long to keep whole: in a transcript, writes the part
    // that is not kept as it streams past, after the part that is.
    void echo_dropped(std::string_view kept, std::string_view dropped);

    // 1 when some line so far gave an error line or was cut, else 0.
    int status() const { return had_error_ || had_cut_ ? 1 : 0; }

    // Interactive use: the terminal already shows the typed line.
    void set_echo(bool echo) { echo_ = echo; }

  private:
    bool echoes() const { return mode_ == output_mode::transcript && echo_; }

    output_mode mode_;
    output& out_;
    std::FILE* err_;
    line_watch* watch_;
    bool echo_ = true;
    bool echo_started_ = false;  // echo_dropped has begun the current line
    bool had_error_ = false;
    bool had_cut_ = false;
};

}  // namespace tallix
