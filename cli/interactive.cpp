#include "cli/interactive.h"

#include <dlfcn.h>
#include <editline/readline.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "cli/termination.h"
#include "engine/engine.h"

namespace tallix {

namespace {

volatile sig_atomic_t interrupted = 0;

// Ctrl+C stops the line being evaluated, or drops the line being typed; it
// never ends the program, which would lose the variables of the session.
void on_interrupt(int) {
    interrupted = 1;
    request_stop();
}

class interrupt_handler {
  public:
    interrupt_handler() {
        struct sigaction action {};
        action.sa_handler = on_interrupt;
        sigemptyset(&action.sa_mask);
        // No SA_RESTART: the line editor's read must return so the typed
        // line can be dropped.
        sigaction(SIGINT, &action, &previous_);
    }
    ~interrupt_handler() { sigaction(SIGINT, &previous_, nullptr); }
    interrupt_handler(const interrupt_handler&) = delete;
    interrupt_handler& operator=(const interrupt_handler&) = delete;

  private:
    struct sigaction previous_ {};
};

bool was_interrupted() {
    return interrupted != 0;
}

// One byte from the terminal; false at the end of input, or once Ctrl+C or a
// termination signal has come, before the wait or during it.
bool read_byte(char& byte) {
    for (;;) {
        if (!wait_for_input(STDIN_FILENO, was_interrupted)) return false;
        ssize_t n = ::read(STDIN_FILENO, &byte, 1);
        if (n == 1) return true;
        if (n == 0 || errno != EINTR) return false;
    }
}

// The line editor's own key reader looks for signals and then reads: a
// Ctrl+C between the two went unseen, and the editor waited for a key with
// the terminal left in line mode. This one looks with the signals held back
// and lets them in only while it waits.
int read_key(FILE*) {
    char bytes[MB_LEN_MAX];
    size_t count = 0;
    for (;;) {
        if (!read_byte(bytes[count])) return -1;
        ++count;
        std::mbstate_t state{};
        wchar_t key = 0;
        const size_t used = std::mbrtowc(&key, bytes, count, &state);
        if (used == static_cast<size_t>(-2) && count < sizeof bytes) continue;
        if (used <= count) return static_cast<int>(key);
        count = 0;  // not a character in this locale: dropped, as the editor does
    }
}

// Without the line editor, lines are read as typed, with no history.
char* read_plain_line(const char*) {
    std::string line;
    char byte = 0;
    while (read_byte(byte)) {
        if (byte == '\n') return ::strdup(line.c_str());
        line += byte;
    }
    return line.empty() ? nullptr : ::strdup(line.c_str());
}
int keep_no_history(const char*) {
    return 0;
}
void no_history() {}

// The line editor, loaded only for a terminal session: linked in, it and
// the libraries it pulls in cost every piped run more start-up time than the
// rest of the program.
struct line_editor {
    decltype(&::readline) read_line = read_plain_line;
    decltype(&::add_history) add_to_history = keep_no_history;
    decltype(&::using_history) start_history = no_history;
    decltype(&::clear_history) end_history = no_history;

    line_editor() {
        void* library = dlopen("libedit.so.2", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return;
        auto* read = reinterpret_cast<decltype(read_line)>(dlsym(library, "readline"));
        auto* add = reinterpret_cast<decltype(add_to_history)>(dlsym(library, "add_history"));
        auto* start = reinterpret_cast<decltype(start_history)>(dlsym(library, "using_history"));
        auto* end = reinterpret_cast<decltype(end_history)>(dlsym(library, "clear_history"));
        auto* key_reader =
            static_cast<decltype(&::rl_getc_function)>(dlsym(library, "rl_getc_function"));
        if (read && add && start && end && key_reader) {
            *key_reader = read_key;
            read_line = read;
            add_to_history = add;
            start_history = start;
            end_history = end;
        }
    }
};

}  // namespace

void run_interactive(session& calc, output& out) {
    line_editor editor;
    // Line editing needs to know how the terminal encodes characters.
    std::setlocale(LC_CTYPE, "");
    editor.start_history();
    calc.set_echo(false);
    interrupt_handler handler;
    long number = 0;
    while (pending_termination_signal() == 0 && out.error() == 0) {
        // A Ctrl+C is cleared only where it is acted on: one that comes after a result is
        // written and before the next read is a Ctrl+C at an empty line, and starts a new one.
        char* line = editor.read_line("");
        if (pending_termination_signal() != 0) {
            std::free(line);
            break;
        }
        if (interrupted) {
            interrupted = 0;
            // The typed text is dropped; a fresh line starts below it.
            std::free(line);
            out.write("\n");
            out.flush();
            continue;
        }
        if (line == nullptr) break;
        ++number;
        if (line[0] != '\0') editor.add_to_history(line);
        calc.evaluate(line, "line " + std::to_string(number));
        // The terminal echoed ^C where the result goes; the error line,
        // still in the stdio buffer, is to overwrite it.
        if (interrupted) {
            interrupted = 0;
            (void)!::write(STDOUT_FILENO, "\r", 1);
        }
        out.flush();
        std::free(line);
    }
    editor.end_history();
}

}  // namespace tallix
