#include "cli/interactive.h"

#include <editline/readline.h>
#include <signal.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
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

}  // namespace

void run_interactive(session& calc, output& out) {
    // Line editing needs to know how the terminal encodes characters.
    std::setlocale(LC_CTYPE, "");
    using_history();
    calc.set_echo(false);
    interrupt_handler handler;
    long number = 0;
    while (pending_termination_signal() == 0 && out.error() == 0) {
        interrupted = 0;
        char* line = readline("");
        if (pending_termination_signal() != 0) {
            std::free(line);
            break;
        }
        if (interrupted) {
            // The typed text is dropped; a fresh line starts below it.
            std::free(line);
            out.write("\n");
            out.flush();
            continue;
        }
        if (line == nullptr) break;
        ++number;
        if (line[0] != '\0') add_history(line);
        calc.evaluate(line, "line " + std::to_string(number));
        // The terminal echoed ^C where the result goes; the error line,
        // still in the stdio buffer, is to overwrite it.
        if (interrupted) (void)!::write(STDOUT_FILENO, "\r", 1);
        out.flush();
        std::free(line);
    }
    clear_history();
}

}  // namespace tallix
