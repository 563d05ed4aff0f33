#!/usr/bin/env python3
"""Options, help and About end to end: the real program under its own Xvfb, driven with xdotool.

First another client (a second copy of the program with a home and runtime folder of its own)
holds Ctrl+Shift+Q: choosing it brings the message and the dialog again with the same entries;
Cancel then leaves the settings alone and Ctrl+Alt+A still calls the window up. With the other
client gone, the hotkey is changed to Ctrl+Shift+Q and the precision to 20: Ctrl+Shift+Q brings
the hidden window back, Ctrl+Alt+A no longer does, the settings hold the new values, and the
next result has 20 digits. F1 hands the help page beside the program to the desktop's opener
(a stub that records its argument), and the About box opens and closes.

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

    def start(self, argv, env=None):
        process = subprocess.Popen(argv, env=env or self.env, stdout=subprocess.DEVNULL,
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


def read_settings(home):
    path = os.path.join(home, ".config", "Morvane", "Tallix.conf")
    values = {}
    if os.path.exists(path):
        with open(path, encoding="utf-8") as store:
            for line in store:
                if "=" in line:
                    key, value = line.strip().split("=", 1)
                    values[key] = value
    return values


def write_settings(home, values):
    folder = os.path.join(home, ".config", "Morvane")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "Tallix.conf"), "w", encoding="utf-8") as store:
        store.write("[Settings]\n")
        for key, value in values.items():
            store.write(f"{key}={value}\n")


def console_text(desktop):
    desktop.key("ctrl+a", "ctrl+c")
    result = desktop.run("xclip", "-o", "-selection", "clipboard")
    return result.stdout


class Session:
    """The program under test and the checks made on it."""

    def __init__(self, desktop, program):
        self.desktop = desktop
        self.program = program
        self.failures = []
        self.process = None
        self.window = None

    def check(self, condition, message):
        if not condition:
            self.failures.append(message)
            print("FAIL:", message)

    def start(self):
        self.process = self.desktop.start([self.program])
        self.window = wait_for("the window", lambda: self.desktop.visible_windows("^Tallix$"))[0]
        time.sleep(0.5)
        self.desktop.focus(self.window)  # there is no window manager to give the focus

    def shown(self):
        return self.window in self.desktop.visible_windows("^Tallix$")

    def other_windows(self, name):
        return [w for w in self.desktop.visible_windows(name) if w != self.window]

    def hide(self):
        self.desktop.focus(self.window)
        self.desktop.key("Escape")
        wait_for("Esc to hide the window", lambda: not self.shown())

    def open_options(self):
        self.desktop.focus(self.window)
        self.desktop.key("alt+s")
        self.desktop.key("o")
        return wait_for("the Options dialog", lambda: self.desktop.visible_windows("^オプション$"))

    def enter_options(self, precision, key):
        """Ctrl+Shift and the given key and precision, then Apply (the dialog has the focus)."""
        self.desktop.type(precision)  # the precision box has the focus, its text selected
        self.desktop.key("Tab", "space", "Tab", "Tab", "space")  # untick Alt, tick Shift
        self.desktop.key("alt+g", "ctrl+a")
        self.desktop.type(key)
        self.desktop.key("Return")

    def expect_taken_message(self):
        box = wait_for("the message", lambda: self.other_windows("^Tallix$"))
        self.desktop.focus(box[0])
        self.desktop.key("Return")
        wait_for("the message to close", lambda: not self.other_windows("^Tallix$"))
        return wait_for("the dialog again", lambda: self.desktop.visible_windows("^オプション$"))

    def hotkey_shows(self, keys):
        self.desktop.key(keys)
        try:
            wait_for(keys + " to show the window", self.shown, 5)
            return True
        except AssertionError:
            # A second launch hands over to this one and shows it, so later checks still run.
            self.desktop.run(self.program)
            wait_for("a second launch to show the window", self.shown)
            return False


def taken_combination(session, desktop):
    other_home = os.path.join(desktop.home, "other")
    other_runtime = os.path.join(other_home, "runtime")
    os.makedirs(other_runtime, 0o700)
    write_settings(other_home, {"HotKeyMod": 6, "HotKeyChar": ord("Q")})
    other_env = dict(desktop.env, HOME=other_home, XDG_RUNTIME_DIR=other_runtime,
                     XDG_CONFIG_HOME=os.path.join(other_home, ".config"))
    other = desktop.start([session.program, "/s"], other_env)
    # Its lock appears at start-up, just before its window registers the hotkey.
    wait_for("the other client", lambda: os.listdir(other_runtime) or other.poll() is not None)
    time.sleep(1.5)
    session.check(other.poll() is None, "the other client did not stay up")

    session.open_options()
    session.enter_options("30", "q")
    dialog = session.expect_taken_message()
    # The same entries are still there: Apply meets the same refusal.
    desktop.focus(dialog[0])
    desktop.key("Return")
    dialog = session.expect_taken_message()
    desktop.focus(dialog[0])
    desktop.key("Escape")
    wait_for("Cancel to close the dialog", lambda: not desktop.visible_windows("^オプション$"))

    stored = read_settings(desktop.home)
    session.check(not any(k in stored for k in ("HotKeyMod", "HotKeyChar", "MaxPrec")),
                  f"a refused hotkey changed the settings: {stored}")
    session.hide()
    session.check(session.hotkey_shows("ctrl+alt+a"),
                  "after the refusal and Cancel, Ctrl+Alt+A no longer shows the window")

    other.terminate()
    other.wait(TIMEOUT)


def changed_hotkey_and_precision(session, desktop):
    session.open_options()
    session.enter_options("20", "q")
    wait_for("the dialog to close", lambda: not desktop.visible_windows("^オプション$"))
    stored = wait_for("the settings", lambda: read_settings(desktop.home).get("MaxPrec") == "20"
                      and read_settings(desktop.home))
    session.check(stored.get("HotKeyMod") == "6", f"HotKeyMod stored as {stored.get('HotKeyMod')}")
    session.check(stored.get("HotKeyChar") == str(ord("Q")),
                  f"HotKeyChar stored as {stored.get('HotKeyChar')}")

    session.hide()
    desktop.key("ctrl+alt+a")
    time.sleep(1.0)
    session.check(not session.shown(), "Ctrl+Alt+A still shows the window")
    session.check(session.hotkey_shows("ctrl+shift+q"), "Ctrl+Shift+Q does not show the window")

    desktop.focus(session.window)
    desktop.type("1/3")
    desktop.key("Return")
    decimal.getcontext().prec = 20
    third = str(decimal.Decimal(1) / decimal.Decimal(3))
    text = console_text(desktop)
    session.check(third in text.split(), f"1/3 at 20 digits should read {third}; console: {text!r}")


def help_and_about(session, desktop):
    desktop.focus(session.window)
    desktop.key("F1")
    opened = wait_for("F1 to open the help", lambda: os.path.exists(desktop.opened)
                      and open(desktop.opened, encoding="utf-8").read())
    beside = os.path.join(os.path.dirname(os.path.abspath(session.program)), "index.htm")
    session.check(opened == beside + "\n", f"F1 opened {opened!r}, expected {beside!r}")

    desktop.key("alt+h")
    desktop.key("a")
    about = wait_for("the About box", lambda: desktop.visible_windows("^Tallixについて$"))
    desktop.focus(about[0])
    desktop.key("Return")
    wait_for("the About box to close", lambda: not desktop.visible_windows("^Tallixについて$"))


def main(program):
    desktop = Desktop()
    session = Session(desktop, program)
    try:
        # A tray host, so that Esc hides the window instead of minimising it.
        desktop.start(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                       "--height", "24"])
        wait_for("the tray", lambda: desktop.run("xdotool", "search", "--class", "trayer").stdout)
        session.start()
        for scenario in (taken_combination, changed_hotkey_and_precision, help_and_about):
            scenario(session, desktop)
            session.check(session.process.poll() is None, f"the program ended in {scenario.__name__}")
    finally:
        desktop.close()
    if session.failures:
        return 1
    print("options, help and About end to end: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
