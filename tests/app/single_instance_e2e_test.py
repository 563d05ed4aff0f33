#!/usr/bin/env python3
"""The single-instance rule in the real program under Xvfb: a lock file left empty or damaged
does not keep the program from starting, and of two launches started together one runs and
the other hands over to it.
"""
import os
import sys

from desktop import Tallix, check, run_scenarios, wait_for


def lock_path(desktop):
    return os.path.join(desktop.env["XDG_RUNTIME_DIR"], "Tallix.lock")


def damaged_locks_do_not_lock_out(desktop):
    for content in (b"", b"\x00\xffgarbage\n"):
        with open(lock_path(desktop), "wb") as file:
            file.write(content)
        app = Tallix(desktop)
        check(app.exit_from_menu() == 0, "the program did not end cleanly")


def launches_started_together(desktop):
    first = Tallix(desktop, expect_window=False).process
    second = Tallix(desktop, expect_window=False).process
    ended = wait_for("one of the two to hand over",
                     lambda: [p for p in (first, second) if p.poll() is not None])
    check(len(ended) == 1 and ended[0].returncode == 0,
          "expected one launch to hand over with status 0: %s" % [p.returncode for p in ended])
    running = first if ended[0] is second else second
    wait_for("one window", lambda: desktop.windows_titled_tallix(running.pid))
    check(len(desktop.windows_titled_tallix()) == 1, "more than one window")


SCENARIOS = [
    (damaged_locks_do_not_lock_out, dict()),
    (launches_started_together, dict()),
]


if __name__ == "__main__":
    sys.exit(run_scenarios(SCENARIOS))
