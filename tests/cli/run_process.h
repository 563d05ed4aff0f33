#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tallix {

struct process_result {
    std::string out;
    std::string err;
    int status = -1;  // exit status, or -1 when the process did not exit normally
    int signal = 0;   // the signal that ended it, or 0
};

// A program running in a process group of its own, its standard input fed
// from a string and both outputs collected as they come. Whatever is still
// running of the group when the object goes is killed.
class child_process {
  public:
    // With `close_input`, standard input ends after `input`; otherwise it
    // stays open, as a terminal or a slow writer would keep it.
    child_process(const std::string& program, const std::vector<std::string>& args,
                  const std::string& input, bool close_input = true);
    ~child_process();
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    pid_t pid() const { return pid_; }
    const std::string& out() const { return result_.out; }

    // Collects output until `condition` holds; false when the deadline
    // passes first or the program has closed its outputs without it holding.
    bool wait_until(const std::function<bool()>& condition,
                    std::chrono::seconds patience = std::chrono::seconds(120));

    void send(int sig);

    // Waits for the end; past the deadline the group is killed and the
    // result says so (signal SIGKILL).
    process_result finish(std::chrono::seconds patience = std::chrono::seconds(120));

  private:
    bool pump(int timeout_ms);

    pid_t pid_ = -1;
    int in_fd_ = -1, out_fd_ = -1, err_fd_ = -1;
    std::string input_;
    size_t written_ = 0;
    bool close_input_;
    bool reaped_ = false;
    process_result result_;
};

// Runs `program` with `args`, feeding `input` to its standard input (closed
// afterwards), and collects both output streams.
process_result run_process(const std::string& program, const std::vector<std::string>& args,
                           const std::string& input);

}  // namespace tallix
