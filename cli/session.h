#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "cli/options.h"

namespace tallix {

// Evaluates lines one after the other against the one variable table of the
// run and writes what each line gives, in the chosen output mode.
class session {
  public:
    session(output_mode mode, std::FILE* out, std::FILE* err);

    // `where` names the line in a warning, e.g. "notes.txt, line 3".
    void evaluate(std::string_view line, const std::string& where);

    // Whether some line so far gave an error line.
    bool had_error() const { return had_error_; }

    // Interactive use: the terminal already shows the typed line.
    void set_echo(bool echo) { echo_ = echo; }

  private:
    output_mode mode_;
    std::FILE* out_;
    std::FILE* err_;
    bool echo_ = true;
    bool had_error_ = false;
};

}  // namespace tallix
