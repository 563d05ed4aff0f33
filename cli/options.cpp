#include "cli/options.h"

#include <string>
#include <string_view>

namespace tallix {

const char* const usage_text =
    "Usage: tallix-cli [OPTION]... [FILE]...\n"
    "Evaluates calculator lines: the -e lines first, then the lines of each FILE\n"
    "(\"-\" is standard input). With neither, standard input is read; on a terminal\n"
    "the lines are edited and evaluated as they are typed (Ctrl+D ends).\n"
    "\n"
    "  -p, --precision N      significant digits, 6 to 2000 (default 15)\n"
    "  -e, --eval LINE        evaluate LINE; may be given more than once\n"
    "      --results-per-line write exactly one output line per input line\n"
    "      --transcript       write each input line followed by its output\n"
    "      --sheet FILE       print the sheet FILE with every result recalculated\n"
    "      --help             show this help and exit\n"
    "      --version          show the version and exit\n"
    "\n"
    "A line longer than 7998 bytes is evaluated from its start, cut where the window\n"
    "cuts it. SIGTERM, SIGINT and SIGHUP stop the running line; every finished\n"
    "result is written, then the program ends by that signal.\n"
    "\n"
    "A sheet is a file of lines as the window keeps them: input lines, each one\n"
    "followed by its result if it has one. Going down the sheet, each line is\n"
    "evaluated; when its output is not empty and the next line has the shape of an\n"
    "output (a number as results are shown, or an error line of the error table),\n"
    "that next line is its old result and the new output takes its place;\n"
    "otherwise the output goes in as a new line and the next line is input.\n"
    "\n"
    "Exit status: 0 when every line was evaluated whole and none gave an error line;\n"
    "1 when a line gave an error line or was cut; 2 for a bad command line, an\n"
    "unreadable file or a failed write (the run stops at the first such failure).\n";

namespace {

// Walks argv, handing each option its value whether it is attached
// ("-p20", "--precision=20") or the next argument.
class option_reader {
  public:
    option_reader(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}

    parsed_options run() {
        bool options_ended = false;
        for (index_ = 1; index_ < argc_ && result_.error.empty(); ++index_) {
            std::string_view arg = argv_[index_];
            if (options_ended || arg == "-" || arg.size() < 2 || arg[0] != '-') {
                result_.options.files.emplace_back(arg);
            } else if (arg == "--") {
                options_ended = true;
            } else if (arg.substr(0, 2) == "--") {
                long_option(arg.substr(2));
            } else {
                short_option(arg);
            }
        }
        if (result_.error.empty() && transcript_ && per_line_)
            fail("--results-per-line and --transcript cannot be used together");
        if (result_.error.empty() && !result_.options.sheet.empty() &&
            (transcript_ || per_line_ || !result_.options.eval_texts.empty() ||
             !result_.options.files.empty()))
            fail("--sheet takes no other lines, files or output mode");
        return result_;
    }

  private:
    void long_option(std::string_view body) {
        std::string_view name = body.substr(0, body.find('='));
        bool attached = name.size() < body.size();
        std::string_view attached_value = attached ? body.substr(name.size() + 1) : "";
        auto value = [&](std::string_view option) -> const char* {
            if (attached) {
                value_buffer_.assign(attached_value);
                return value_buffer_.c_str();
            }
            return next_value(option);
        };
        if (name == "precision") {
            if (const char* v = value("--precision")) set_precision_text(v);
        } else if (name == "eval") {
            if (const char* v = value("--eval")) result_.options.eval_texts.emplace_back(v);
        } else if (name == "sheet") {
            const char* v = value("--sheet");
            if (v && !result_.options.sheet.empty()) fail("--sheet may be given once");
            if (v && *v == '\0') fail("option '--sheet' needs a file name");
            if (v) result_.options.sheet = v;
        } else if (attached) {
            fail("option '--" + std::string(name) + "' takes no value");
        } else if (name == "results-per-line") {
            per_line_ = true;
            result_.options.mode = output_mode::results_per_line;
        } else if (name == "transcript") {
            transcript_ = true;
            result_.options.mode = output_mode::transcript;
        } else if (name == "help") {
            result_.options.help = true;
        } else if (name == "version") {
            result_.options.version = true;
        } else {
            fail("unknown option '--" + std::string(name) + "'");
        }
    }

    void short_option(std::string_view arg) {
        char letter = arg[1];
        if (letter != 'p' && letter != 'e') {
            fail("unknown option '" + std::string(arg) + "'");
            return;
        }
        std::string option = std::string("-") + letter;
        const char* v = arg.size() > 2 ? argv_[index_] + 2 : next_value(option);
        if (v == nullptr) return;
        if (letter == 'p') {
            set_precision_text(v);
        } else {
            result_.options.eval_texts.emplace_back(v);
        }
    }

    const char* next_value(std::string_view option) {
        if (index_ + 1 >= argc_) {
            fail("option '" + std::string(option) + "' needs a value");
            return nullptr;
        }
        return argv_[++index_];
    }

    void set_precision_text(const std::string& text) {
        if (!parse_precision(text, result_.options.precision))
            fail("precision '" + text + "' is not a whole number from " +
                 std::to_string(MIN_PRECISION) + " to " + std::to_string(MAX_PRECISION));
    }

    void fail(std::string message) {
        if (result_.error.empty()) result_.error = std::move(message);
    }

    int argc_;
    const char* const* argv_;
    int index_ = 1;
    bool per_line_ = false;
    bool transcript_ = false;
    std::string value_buffer_;
    parsed_options result_;
};

}  // namespace

bool parse_precision(const std::string& text, int& digits) {
    if (text.empty()) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > MAX_PRECISION) return false;
    }
    if (value < MIN_PRECISION) return false;
    digits = value;
    return true;
}

parsed_options parse_options(int argc, const char* const* argv) {
    return option_reader(argc, argv).run();
}

}  // namespace tallix
