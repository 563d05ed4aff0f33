#!/usr/bin/python3
"""Options, help and About in the real program, on the desktop of the window tests.

First another client (a second copy of the program with a home and lock of its own) holds
Ctrl+Shift+Q: choosing it brings the message and the dialog again with the same entries;
Cancel then leaves the settings alone and Ctrl+Alt+A still calls the window up. With the other
client gone, the hotkey is changed to Ctrl+Shift+Q and the precision to 20: Ctrl+Shift+Q brings
the hidden window back, Ctrl+Alt+A no longer does, the settings hold the new values, and the
next result has 20 digits. F1 hands the help page beside the program to the desktop's opener
(a stub that records its argument), and the About box opens and closes.

Usage: dialogs_e2e_test.py PATH/TO/tallix
"""
import decimal
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop as desk  # noqa: E402  (the Xvfb desktop the end-to-end tests share)
from desktop import Desktop, Tallix, check, settings_file, wait_for  # noqa: E402


def stored(home):
    if not os.path.exists(settings_file(home)):
        return {}
    with open(settings_file(home), encoding="utf-8") as file:
        return dict(re.findall(r"^(\w+)=(.*)$", file.read(), re.M))


def install_opener_stub(desktop):
    """Puts an xdg-open first on PATH that only records its argument; returns the record."""
    stubs = os.path.join(desktop.home, "stubs")
    os.makedirs(stubs)
    record = os.path.join(desktop.home, "opened.txt")
    opener = os.path.join(stubs, "xdg-open")
    with open(opener, "w", encoding="utf-8") as script:
        script.write(f"#!/bin/sh\nprintf '%s\\n' \"$1\" >> '{record}'\n")
    os.chmod(opener, 0o755)
    desktop.env["PATH"] = stubs + os.pathsep + desktop.env["PATH"]
    return record


class Window(Tallix):
    def shown(self):
        return self.window in self.desktop.windows_titled_tallix(self.process.pid)

    def hide(self):
        self.focus()
        self.desktop.key("Escape")
        wait_for("Esc to hide the window", lambda: not self.shown())

    def hotkey_shows(self, keys):
        self.desktop.key(keys)
        try:
            wait_for(keys + " to show the window", self.shown)
            return True
        except AssertionError:
            return False

    def hotkey_ignored(self, keys):
        self.desktop.key(keys)
        self.round_trip()  # the program has handled the key, if it was its own
        return not self.shown()

    def choose_ctrl_shift(self, key, precision):
        """Entries in a freshly opened dialog, then Apply."""
        self.desktop.type(precision)  # the precision box has the focus, its text selected
        self.desktop.key("Tab", "space", "Tab", "Tab", "space")  # untick Alt, tick Shift
        self.desktop.key("alt+g", "ctrl+a")
        self.desktop.type(key)
        self.desktop.key("Return")


def taken_combination(desktop, app):
    other_home = os.path.join(desktop.home, "other")
    other_env = desktop.environment(other_home)
    os.makedirs(os.path.dirname(settings_file(other_home)))
    with open(settings_file(other_home), "w", encoding="utf-8") as file:
        file.write("[Settings]\nHotKeyMod=6\nHotKeyChar=81\n")
    other = Tallix(desktop, "/s", env=other_env, expect_window=False)
    # It holds Ctrl+Shift+Q once the key calls its window up (pressed until it does).
    wait_for("the other client to take Ctrl+Shift+Q", lambda: desktop.key("ctrl+shift+q") or
             other.main_window())
    check(other.process.poll() is None, "the other client did not stay up")

    app.open_options()
    app.choose_ctrl_shift("q", "30")
    app.dismiss_message()
    # The dialog is back with the same entries: Apply meets the same refusal.
    app.options_dialog()
    desktop.key("Return")
    app.dismiss_message()
    app.options_dialog()
    desktop.key("Escape")
    wait_for("Cancel to close the dialog", lambda: not desktop.run(
        "xdotool", "search", "--onlyvisible", "--name", "^オプション$").stdout.strip())

    values = stored(desktop.home)
    check(not {"HotKeyMod", "HotKeyChar", "MaxPrec"} & values.keys(),
          f"a refused hotkey changed the settings: {values}")
    app.hide()
    check(app.hotkey_shows("ctrl+alt+a"), "after the refusal and Cancel, Ctrl+Alt+A is lost")
    other.process.terminate()
    other.wait_end()


def changed_hotkey_and_precision(desktop, app):
    app.open_options()
    app.choose_ctrl_shift("q", "20")
    values = wait_for("the settings", lambda: stored(desktop.home).get("MaxPrec") == "20"
                      and stored(desktop.home))
    check(values.get("HotKeyMod") == "6" and values.get("HotKeyChar") == str(ord("Q")),
          f"the hotkey was stored as {values}")
    # Back from a dialog opened from the menu bar, the keys go to the console, not to the bar.
    text = app.enter("2+3")
    check("5" in text.split(), f"2+3 typed after the dialog; console: {text!r}")

    app.hide()
    check(app.hotkey_ignored("ctrl+alt+a"), "Ctrl+Alt+A still shows the window")
    check(app.hotkey_shows("ctrl+shift+q"), "Ctrl+Shift+Q does not show the window")

    app.focus()
    text = app.enter("1/3")
    decimal.getcontext().prec = 20
    third = str(decimal.Decimal(1) / decimal.Decimal(3))
    check(third in text.split(), f"1/3 at 20 digits should read {third}; console: {text!r}")


def help_and_about(desktop, app, record):
    app.focus()
    desktop.key("F1")
    opened = wait_for("F1 to open the help", lambda: os.path.exists(record)
                      and open(record, encoding="utf-8").read())
    beside = os.path.join(os.path.dirname(desk.TALLIX), "index.htm")
    check(opened == beside + "\n", f"F1 opened {opened!r}, expected {beside!r}")

    desktop.key("alt+h")
    desktop.key("a")
    about = wait_for("the About box", lambda: desktop.run(
        "xdotool", "search", "--onlyvisible", "--name", "^Tallixについて$").stdout.split())
    desktop.run("xdotool", "windowfocus", "--sync", about[0])
    desktop.key("Return")
    wait_for("the About box to close", lambda: not desktop.is_viewable(about[0]))


def signal_with_a_dialog_open(desktop, app):
    """The session ends while the About box is open: the program ends cleanly, not by a crash."""
    app.focus()
    desktop.key("alt+h")
    desktop.key("a")
    wait_for("the About box", lambda: desktop.run(
        "xdotool", "search", "--onlyvisible", "--name", "^Tallixについて$").stdout.split())
    app.process.terminate()
    check(app.wait_end() == 0, "a termination signal with a dialog open did not end cleanly")


def main():
    desk.TALLIX = os.path.abspath(sys.argv[1])
    # A tray host, so that Esc hides the window; a window manager, as on a real desktop.
    desktop = Desktop(window_manager=True, tray=True)
    try:
        record = install_opener_stub(desktop)
        app = Window(desktop)
        taken_combination(desktop, app)
        changed_hotkey_and_precision(desktop, app)
        help_and_about(desktop, app, record)
        check(app.process.poll() is None, "the program ended")
        signal_with_a_dialog_open(desktop, app)
    finally:
        desktop.close()
    print("options, help and About end to end: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
