#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/interactive.h"
#include "cli/line_reader.h"
#include "cli/options.h"
#include "cli/session.h"
#include "engine/engine.h"
#include "tallix_version.h"

namespace tallix {
namespace {

constexpr int EXIT_USAGE = 2;

struct input_file {
    std::string name;
    int fd;
};

int usage_error(const std::string& message) {
    std::fprintf(stderr, "tallix-cli: %s (see --help)\n", message.c_str());
    return EXIT_USAGE;
}

int read_error(const std::string& name, int error) {
    std::fprintf(stderr, "tallix-cli: cannot read '%s': %s\n", name.c_str(), std::strerror(error));
    return EXIT_USAGE;
}

// Opens every file before anything is evaluated, so an unreadable one stops
// the run before it has any effect.
bool open_files(const std::vector<std::string>& names, std::vector<input_file>& files,
                int& status) {
    for (const std::string& name : names) {
        int fd = name == "-" ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info;
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            status = read_error(name, errno);
            return false;
        }
        if (S_ISDIR(info.st_mode)) {
            status = read_error(name, EISDIR);
            return false;
        }
        files.push_back({name == "-" ? "standard input" : name, fd});
    }
    return true;
}

void flush_output() {
    std::fflush(stdout);
}

bool evaluate_file(session& calc, const input_file& file, int& status) {
    line_reader reader(file.fd, flush_output);
    std::string line;
    long number = 0;
    while (reader.next(line))
        calc.evaluate(line, file.name + ", line " + std::to_string(++number));
    if (reader.error() != 0) {
        status = read_error(file.name, reader.error());
        return false;
    }
    return true;
}

int run(const cli_options& options) {
    std::vector<input_file> files;
    int status = 0;
    if (!open_files(options.files, files, status)) return status;

    register_builtins();
    set_precision(options.precision);
    static char out_buffer[1 << 16];
    std::setvbuf(stdout, out_buffer, _IOFBF, sizeof out_buffer);
    session calc(options.mode, stdout, stderr);

    if (options.eval_texts.empty() && files.empty()) {
        if (::isatty(STDIN_FILENO)) {
            run_interactive(calc);
        } else {
            files.push_back({"standard input", STDIN_FILENO});
        }
    }
    for (size_t i = 0; i < options.eval_texts.size(); ++i) {
        std::string where = "-e argument " + std::to_string(i + 1);
        for (std::string_view line : split_lines(options.eval_texts[i]))
            calc.evaluate(line, where);
    }
    for (const input_file& file : files) {
        if (!evaluate_file(calc, file, status)) return status;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "tallix-cli: cannot write the results: %s\n", std::strerror(errno));
        return EXIT_USAGE;
    }
    return calc.had_error() ? 1 : 0;
}

}  // namespace
}  // namespace tallix

int main(int argc, char** argv) {
    using namespace tallix;
    parsed_options parsed = parse_options(argc, argv);
    if (!parsed.error.empty()) return usage_error(parsed.error);
    if (parsed.options.help) {
        std::fputs(usage_text, stdout);
        return 0;
    }
    if (parsed.options.version) {
        std::puts("Tallix " TALLIX_VERSION);
        return 0;
    }
    return run(parsed.options);
}
