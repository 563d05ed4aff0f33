#pragma once

#include <string>
#include <vector>

namespace tallix {

struct process_result {
    std::string out;
    std::string err;
    int status = -1;  // exit status, or -1 when the process did not exit normally
};

// Runs `program` with `args`, feeding `input` to its standard input (closed
// afterwards), and collects both output streams.
process_result run_process(const std::string& program, const std::vector<std::string>& args,
                           const std::string& input);

}  // namespace tallix
