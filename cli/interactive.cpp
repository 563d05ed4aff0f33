#include "cli/interactive.h"

#include <editline/readline.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tallix {

void run_interactive(session& calc) {
    // Line editing needs to know how the terminal encodes characters.
    std::setlocale(LC_CTYPE, "");
    using_history();
    calc.set_echo(false);
    long number = 0;
    while (char* line = readline("")) {
        ++number;
        if (line[0] != '\0') add_history(line);
        calc.evaluate(line, "line " + std::to_string(number));
        std::fflush(stdout);
        std::free(line);
    }
    clear_history();
}

}  // namespace tallix
