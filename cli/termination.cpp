#include "cli/termination.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "engine/engine.h"

namespace tallix {

namespace {

constexpr int TERMINATION_SIGNALS[] = {SIGTERM, SIGINT, SIGHUP};

std::atomic<int> pending_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void on_termination_signal(int sig) {
    pending_signal.store(sig);
    request_stop();
}

sigset_t termination_set() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : TERMINATION_SIGNALS)
        sigaddset(&set, sig);
    return set;
}

}  // namespace

void catch_termination_signals() {
    const sigset_t all = termination_set();
    for (int sig : TERMINATION_SIGNALS) {
        struct sigaction previous {};
        ::sigaction(sig, nullptr, &previous);
        // nohup and `trap '' TERM` ask for the signal to be ignored.
        if (previous.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = on_termination_signal;
        action.sa_mask = all;
        // No SA_RESTART: a blocked read must return so the run can end.
        action.sa_flags = SA_RESETHAND;
        ::sigaction(sig, &action, nullptr);
    }
    ::pthread_sigmask(SIG_UNBLOCK, &all, nullptr);
}

int pending_termination_signal() {
    return pending_signal.load();
}

bool wait_for_input(int fd, bool (*given_up)()) {
    const sigset_t all = termination_set();
    sigset_t open_mask;
    // Blocked between the check and the wait, a signal cannot slip in
    // unseen; ppoll lets it in only while it waits.
    ::pthread_sigmask(SIG_BLOCK, &all, &open_mask);
    bool ready = false;
    while (pending_signal.load() == 0 && !(given_up && given_up())) {
        pollfd p{fd, POLLIN, 0};
        if (::ppoll(&p, 1, nullptr, &open_mask) >= 0 || errno != EINTR) {
            ready = true;
            break;
        }
    }
    ::pthread_sigmask(SIG_SETMASK, &open_mask, nullptr);
    return ready;
}

void end_by_signal(int sig) {
    ::signal(sig, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(sig);
    ::_exit(128 + sig);
}

}  // namespace tallix
