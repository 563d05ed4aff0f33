#!/usr/bin/python3
"""A settings store that cannot be written, in the real program on the desktop of the window tests.

The store's folder cannot be made (a plain file has its name). Applying new options brings the
message once and the new precision is in force; applying again and Exit stay silent. When Exit
is the first save, the message comes after the window has gone and the program ends on OK. A
termination signal never waits for a message: it ends the program and logs the failure.

Usage: settings_e2e_test.py PATH/TO/tallix [SCENARIO ...]
"""
import decimal
import os
import signal
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop as desk  # noqa: E402  (the Xvfb desktop the end-to-end tests share)
from desktop import Tallix, check, run_scenarios, settings_file, wait_for  # noqa: E402

MESSAGE = "設定を保存できませんでした。"
BLOCKER = b"a file where the settings folder should be\n"


def block_store(home):
    """Puts a plain file where the store's folder belongs; returns the folder's path."""
    folder = os.path.dirname(settings_file(home))
    os.makedirs(os.path.dirname(folder), exist_ok=True)
    with open(folder, "wb") as file:
        file.write(BLOCKER)
    return folder


def blocker_intact(folder):
    with open(folder, "rb") as file:
        return file.read() == BLOCKER


class Window(Tallix):
    def apply_precision(self, digits):
        self.open_options()
        self.desktop.type(digits)  # the precision box has the focus, its text selected
        self.desktop.key("Return")

    def console_result(self, line):
        self.focus()
        return self.enter(line).split()


def told_once_while_running(desktop):
    folder = block_store(desktop.home)
    app = Window(desktop)
    app.apply_precision("20")
    app.dismiss_message()
    decimal.getcontext().prec = 20
    third = str(decimal.Decimal(1) / decimal.Decimal(3))
    result = app.console_result("1/3")
    check(third in result, f"1/3 should read {third} at 20 digits; console: {result}")

    app.apply_precision("25")
    # The store is written while Apply is handled, so a line evaluated after it (at the new
    # precision) comes after any message that Apply brought.
    decimal.getcontext().prec = 25
    third = str(decimal.Decimal(1) / decimal.Decimal(3))
    result = app.console_result("1/3")
    check(third in result, f"1/3 should read {third} at 25 digits; console: {result}")
    check(not app.messages(), "a second failed save brought the message again")
    app.focus()
    desktop.key("alt+f")
    desktop.key("x")
    # A message at Exit would keep the program waiting for OK: it ends by itself instead.
    check(app.wait_end() == 0, "the program did not end cleanly (a message at Exit?)")
    check(blocker_intact(folder), "the file in the store's place was changed")


def told_after_the_window_at_exit(desktop):
    block_store(desktop.home)
    app = Window(desktop)
    app.focus()
    desktop.key("alt+f")
    desktop.key("x")
    wait_for("the window to go", lambda: not desktop.is_viewable(app.window))
    check(app.process.poll() is None, "the program ended without telling")
    app.dismiss_message()
    check(app.wait_end() == 0, "the program did not end after the message")


def logged_when_terminated(desktop):
    block_store(desktop.home)
    log_path = os.path.join(desktop.home, "stderr.txt")
    with open(log_path, "wb") as log:
        process = subprocess.Popen([desk.TALLIX], env=desktop.env, stdout=subprocess.DEVNULL,
                                   stderr=log)
    desktop.processes.append(process)
    wait_for("the window", lambda: desktop.windows_titled_tallix(process.pid))
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(desk.TIMEOUT)
    except subprocess.TimeoutExpired:
        raise AssertionError("a termination signal waited for a message")
    with open(log_path, encoding="utf-8", errors="replace") as log:
        logged = log.read()
    check(MESSAGE in logged, f"the failed save was not logged: {logged!r}")


SCENARIOS = [(told_once_while_running, dict(window_manager=True)),
             (told_after_the_window_at_exit, dict(window_manager=True)),
             (logged_when_terminated, dict(window_manager=True))]


if __name__ == "__main__":
    sys.exit(run_scenarios(SCENARIOS))
