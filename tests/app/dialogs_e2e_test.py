#!/usr/bin/env python3
"""Options, help and About end to end: the real program under its own Xvfb, driven with xdotool.

The hotkey is changed to Ctrl+Shift+Q and the precision to 20 through the dialog. Afterwards
Ctrl+Shift+Q brings the hidden window back, Ctrl+Alt+A no longer does, the settings hold the
new values, and the next result has 20 digits. F1 hands the help page beside the program to
the desktop's opener (a stub that records its argument), and the About box opens and closes.

Usage: dialogs_e2e_test.py PATH/TO/tallix
"""
import decimal
import os
import shutil
import subprocess
import sys
import tempfile
import time

TIMEOUT = 15


def wait_for(what, predicate, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


def free_display():
    for number in range(140, 400):
        if not os.path.exists(f"/tmp/.X11-unix/X{number}") and not os.path.exists(
                f"/tmp/.X{number}-lock"):
            return number
    raise RuntimeError("no free display number")


class Desktop:
    """An Xvfb with a fresh home folder; everything started here is stopped at the end."""

    def __init__(self):
        self.home = tempfile.mkdtemp(prefix="tallix-e2e-")
        runtime = os.path.join(self.home, "runtime")
        os.mkdir(runtime, 0o700)
        self.processes = []
        self.display = None
        for _ in range(5):  # another test may take the same number first
            number = free_display()
            xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1024x768x24",
                                     "-nolisten", "tcp"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                wait_for("Xvfb", lambda: os.path.exists(f"/tmp/.X11-unix/X{number}")
                         or xvfb.poll() is not None, 10)
            except AssertionError:
                xvfb.kill()
                continue
            if xvfb.poll() is None:
                self.processes.append(xvfb)
                self.display = f":{number}"
                break
        if self.display is None:
            raise RuntimeError("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=self.display, HOME=self.home,
                        XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_RUNTIME_DIR=runtime, TMPDIR=self.home, QT_QPA_PLATFORM="xcb",
                        LANG="C.UTF-8")
        self.env.pop("WAYLAND_DISPLAY", None)
        # The desktop's opener for documents, replaced by one that only records its argument.
        stubs = os.path.join(self.home, "stubs")
        os.mkdir(stubs)
        self.opened = os.path.join(self.home, "opened.txt")
        opener = os.path.join(stubs, "xdg-open")
        with open(opener, "w", encoding="utf-8") as script:
            script.write(f"#!/bin/sh\nprintf '%s\\n' \"$1\" >> '{self.opened}'\n")
        os.chmod(opener, 0o755)
        self.env["PATH"] = stubs + os.pathsep + self.env.get("PATH", "")

    def start(self, argv):
        process = subprocess.Popen(argv, env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE)
        self.processes.append(process)
        return process

    def run(self, *argv):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True,
                              timeout=TIMEOUT)

    def key(self, *keys):
        self.run("xdotool", "key", "--delay", "60", *keys)
        time.sleep(0.3)

    def type(self, text):
        self.run("xdotool", "type", "--delay", "60", text)
        time.sleep(0.3)

    def focus(self, window):
        self.run("xdotool", "windowfocus", "--sync", window)

    def visible_windows(self, name):
        result = self.run("xdotool", "search", "--onlyvisible", "--name", name)
        return result.stdout.split()

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.home, ignore_errors=True)


def settings(desktop):
    path = os.path.join(desktop.home, ".config", "Morvane", "Tallix.conf")
    values = {}
    if os.path.exists(path):
        with open(path, encoding="utf-8") as store:
            for line in store:
                if "=" in line:
                    key, value = line.strip().split("=", 1)
                    values[key] = value
    return values


def console_text(desktop):
    desktop.key("ctrl+a", "ctrl+c")
    result = desktop.run("xclip", "-o", "-selection", "clipboard")
    return result.stdout


def main(program):
    desktop = Desktop()
    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)
            print("FAIL:", message)

    try:
        # A tray host, so that Esc hides the window instead of minimising it.
        desktop.start(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                       "--height", "24"])
        wait_for("the tray", lambda: desktop.run("xdotool", "search", "--class", "trayer").stdout)
        tallix = desktop.start([program])
        window = wait_for("the window", lambda: desktop.visible_windows("^Tallix$"))[0]
        time.sleep(0.5)
        # There is no window manager to give the focus.
        desktop.focus(window)

        desktop.key("alt+s")
        desktop.key("o")
        wait_for("the Options dialog", lambda: desktop.visible_windows("^オプション$"))
        # The precision box has the focus with its text selected.
        desktop.type("20")
        desktop.key("Tab", "space", "Tab", "Tab", "space")  # untick Alt, tick Shift
        desktop.key("alt+g", "ctrl+a")
        desktop.type("q")
        desktop.key("Return")
        wait_for("the dialog to close", lambda: not desktop.visible_windows("^オプション$"))

        stored = wait_for("the settings", lambda: settings(desktop).get("MaxPrec") == "20"
                          and settings(desktop))
        check(stored.get("HotKeyMod") == "6", f"HotKeyMod stored as {stored.get('HotKeyMod')}")
        check(stored.get("HotKeyChar") == str(ord("Q")),
              f"HotKeyChar stored as {stored.get('HotKeyChar')}")

        desktop.focus(window)
        desktop.key("Escape")
        wait_for("Esc to hide the window", lambda: not desktop.visible_windows("^Tallix$"))

        desktop.key("ctrl+alt+a")
        time.sleep(1.0)
        check(not desktop.visible_windows("^Tallix$"), "Ctrl+Alt+A still shows the window")

        desktop.key("ctrl+shift+q")
        try:
            wait_for("Ctrl+Shift+Q to show the window",
                     lambda: desktop.visible_windows("^Tallix$"), 5)
        except AssertionError as error:
            check(False, str(error))

        desktop.type("1/3")
        desktop.key("Return")
        decimal.getcontext().prec = 20
        third = str(decimal.Decimal(1) / decimal.Decimal(3))
        text = console_text(desktop)
        check(third in text.split(), f"1/3 at 20 digits should read {third}; console: {text!r}")

        desktop.key("F1")
        opened = wait_for("F1 to open the help", lambda: os.path.exists(desktop.opened)
                          and open(desktop.opened, encoding="utf-8").read())
        beside = os.path.join(os.path.dirname(os.path.abspath(program)), "index.htm")
        check(opened == beside + "\n", f"F1 opened {opened!r}, expected {beside!r}")

        desktop.key("alt+h")
        desktop.key("a")
        about = wait_for("the About box", lambda: desktop.visible_windows("^Tallixについて$"))
        desktop.focus(about[0])
        desktop.key("Return")
        wait_for("the About box to close",
                 lambda: not desktop.visible_windows("^Tallixについて$"))
        check(tallix.poll() is None, "the program ended")
    finally:
        desktop.close()
    if failures:
        return 1
    print("options end to end: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
