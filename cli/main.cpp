#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/interactive.h"
#include "cli/line_reader.h"
#include "cli/line_watch.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/session.h"
#include "cli/sheet.h"
#include "cli/termination.h"
#include "engine/engine.h"
#include "tallix_version.h"

namespace tallix {
namespace {

constexpr int EXIT_TROUBLE = 2;

int usage_error(const std::string& message) {
    std::fprintf(stderr, "tallix-cli: %s (see --help)\n", message.c_str());
    return EXIT_TROUBLE;
}

int read_error(const std::string& name, int error) {
    std::fprintf(stderr, "tallix-cli: cannot read '%s': %s\n", name.c_str(), std::strerror(error));
    return EXIT_TROUBLE;
}

// Writes out what is left; false, with a message, when any write failed.
bool finish_output(output& out) {
    if (out.flush()) return true;
    std::fprintf(stderr, "tallix-cli: cannot write the results: %s\n", std::strerror(out.error()));
    return false;
}

std::string display_name(const std::string& name) {
    return name == "-" ? "standard input" : name;
}

// Checks every file before anything is evaluated, so a missing or unreadable
// one stops the run before it has any effect. Nothing is opened here: a file
// is opened only when its turn comes, so any number of them can be given.
bool check_files(const std::vector<std::string>& names, int& status) {
    for (const std::string& name : names) {
        if (name == "-") continue;
        struct stat info;
        if (::stat(name.c_str(), &info) != 0 || ::access(name.c_str(), R_OK) != 0) {
            status = read_error(name, errno);
            return false;
        }
        if (S_ISDIR(info.st_mode)) {
            status = read_error(name, EISDIR);
            return false;
        }
    }
    return true;
}

// What a run needs to evaluate its lines and to know when to stop.
struct run_state {
    output& out;
    session& calc;

    bool stopping() const { return pending_termination_signal() != 0 || out.error() != 0; }
};

// Keeps at most one byte more than the engine takes: enough to cut the line
// where the window would, and to know that it was cut.
constexpr size_t KEPT_LINE_BYTES = MAX_LINE_BYTES + 1;

bool evaluate_fd(run_state& run, int fd, const std::string& name, int& status) {
    line_reader reader(fd, KEPT_LINE_BYTES, [&run] { run.out.flush(); });
    reader.on_drop([&run](std::string_view kept, std::string_view dropped) {
        run.calc.echo_dropped(kept, dropped);
    });
    std::string line;
    long number = 0;
    while (!run.stopping() && reader.next(line) && !run.stopping())
        run.calc.evaluate(line, name + ", line " + std::to_string(++number));
    if (reader.error() != 0) {
        status = read_error(name, reader.error());
        return false;
    }
    return true;
}

bool evaluate_file(run_state& run, const std::string& name, int& status) {
    if (name == "-") return evaluate_fd(run, STDIN_FILENO, display_name(name), status);
    int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        status = read_error(name, errno);
        return false;
    }
    bool ok = evaluate_fd(run, fd, name, status);
    ::close(fd);
    return ok;
}

void evaluate_eval_texts(run_state& run, const std::vector<std::string>& texts) {
    for (size_t i = 0; i < texts.size(); ++i) {
        std::string where = "-e argument " + std::to_string(i + 1);
        for (std::string_view line : split_lines(texts[i])) {
            if (run.stopping()) return;
            run.calc.evaluate(line, where);
        }
    }
}

// The whole of a file (or of standard input for "-"); false with errno set.
bool read_whole(const std::string& name, std::string& text) {
    const int fd = name == "-" ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (got > 0) {
            text.append(buffer, static_cast<size_t>(got));
        } else if (errno != EINTR) {
            break;
        }
    }
    const int error = errno;
    if (fd != STDIN_FILENO) ::close(fd);
    errno = error;
    return got == 0;
}

// Prints the sheet with every result recalculated, the lines joined by LF as
// they were; after a termination signal the rest is printed as it stands.
int recalculate_sheet_file(run_state& run, const std::string& name, line_watch* watch) {
    std::string text;
    if (!read_whole(name, text)) return read_error(display_name(name), errno);
    bool had_error = false;
    bool first = true;
    sheet_hooks hooks;
    hooks.evaluate = [&](std::string_view line) {
        if (watch) watch->begin_line();
        line_result result = evaluate_text(line);
        if (watch) watch->end_line();
        had_error = had_error || result.error != 0 || result.cut;
        if (result.cut) {
            const auto number =
                std::count(text.cbegin(), text.cbegin() + (line.data() - text.data()), '\n') + 1;
            std::fprintf(stderr,
                         "tallix-cli: %s, line %ld is longer than %d bytes; only its first %zu "
                         "are evaluated\n",
                         display_name(name).c_str(), static_cast<long>(number), MAX_LINE_BYTES,
                         evaluated_length(line));
        }
        return result;
    };
    hooks.emit = [&](std::string_view line) {
        if (!first) run.out.write("\n");
        first = false;
        run.out.write(line);
    };
    hooks.stopping = [&run] { return run.stopping(); };
    recalculate_sheet(sheet_lines(text), hooks);
    return had_error ? 1 : 0;
}

int evaluate_all(run_state& run, const cli_options& options) {
    std::vector<std::string> files = options.files;
    if (options.eval_texts.empty() && files.empty()) {
        if (::isatty(STDIN_FILENO)) {
            run_interactive(run.calc, run.out);
        } else {
            files.push_back("-");
        }
    }
    evaluate_eval_texts(run, options.eval_texts);
    int status = 0;
    for (const std::string& name : files) {
        if (run.stopping() || !evaluate_file(run, name, status)) break;
    }
    return status;
}

// The watch writes out the earlier lines' output once a line turns out slow, so a kill loses at
// most that line; and it repeats a signal's stop request, which the engine forgets when it comes
// just before a line starts.
line_watch::slow_line_handler on_slow_line(output& out) {
    return [&out](bool first) {
        if (first) out.flush();
        if (pending_termination_signal() != 0) request_stop();
    };
}

int run(const cli_options& options, output& out) {
    int status = 0;
    if (!check_files(options.files, status)) return status;
    if (!options.sheet.empty() && !check_files({options.sheet}, status)) return status;

    catch_termination_signals();
    register_builtins();
    set_precision(options.precision);
    line_watch watch(on_slow_line(out));
    session calc(options.mode, out, stderr, &watch);
    run_state state{out, calc};
    status = options.sheet.empty() ? evaluate_all(state, options)
                                   : recalculate_sheet_file(state, options.sheet, &watch);

    if (int sig = pending_termination_signal()) {
        out.flush();
        end_by_signal(sig);
    }
    if (!finish_output(out)) return EXIT_TROUBLE;
    return status != 0 ? status : calc.status();
}

int print(output& out, std::string_view text) {
    out.write(text);
    return finish_output(out) ? 0 : EXIT_TROUBLE;
}

}  // namespace
}  // namespace tallix

int main(int argc, char** argv) {
    using namespace tallix;
    parsed_options parsed = parse_options(argc, argv);
    if (!parsed.error.empty()) return usage_error(parsed.error);
    output out(STDOUT_FILENO);
    if (parsed.options.help) return print(out, usage_text);
    if (parsed.options.version) return print(out, "Tallix " TALLIX_VERSION "\n");
    return run(parsed.options, out);
}
