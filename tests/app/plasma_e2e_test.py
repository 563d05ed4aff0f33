#!/usr/bin/env python3
"""The call-up key on a real Plasma desktop without a screen (plasma_desktop.py): KWin with its
shortcut service kglobalaccel, the desktop's portal backend and the portal frontend.

What the desktop binds is what kglobalaccel says; the key is pressed through kglobalaccel as
its key grab would; whether the window is shown is what KWin says.
"""
import os
import sys

import desktop as desk
from desktop import check, wait_for
from plasma_desktop import QT_ALT, QT_CTRL, QT_SHIFT, PlasmaDesktop, qt_key
from wayland_desktop import WaylandTallix
from wayland_e2e_test import stored_hotkey

ACTION = "show-window"
CTRL_ALT_A = qt_key(QT_CTRL, QT_ALT, "A")


def tallix_entries(plasma):
    return plasma.components_of("tallix")


def only_entry(plasma):
    entries = tallix_entries(plasma)
    check(len(entries) == 1, "the desktop holds %d entries for the program: %s"
          % (len(entries), plasma.components()))
    return entries[0]


def start(plasma):
    """A hidden start whose binding the desktop has answered."""
    app = WaylandTallix(plasma, "--hidden")
    app.wait_log("the binding", "bind ")
    check("bind registered" in app.log(), "not registered:\n" + app.log())
    return app


def shown(plasma):
    return "Tallix" in plasma.window_captions()


def stop(app):
    app.process.terminate()
    check(app.wait_end() == 0, "the program did not end cleanly")


def bound_at_start_and_called_up_by_the_key(plasma):
    app = start(plasma)
    # No window at all: neither the hidden main window nor a message about the key.
    check(plasma.window_captions() == [], "shown: %s" % plasma.window_captions())
    entry = only_entry(plasma)
    check(plasma.shortcuts_of_key(CTRL_ALT_A) == [(entry, ACTION)],
          "Ctrl+Alt+A calls %s" % plasma.shortcuts_of_key(CTRL_ALT_A))
    plasma.press(entry, ACTION)
    app.wait_log("the call-up", "called up")
    wait_for("KWin to show the window", lambda: shown(plasma))


def key_changed_by_the_desktop_survives_a_restart(plasma):
    app = start(plasma)
    entry = only_entry(plasma)
    ctrl_shift_k = qt_key(QT_CTRL, QT_SHIFT, "K")
    plasma.set_key(entry, ACTION, ctrl_shift_k)
    wait_for("the desktop's key in the settings", lambda: stored_hotkey(plasma) == (6, ord("K")))
    stop(app)

    again = start(plasma)
    check(only_entry(plasma) == entry, "the entry changed")
    check(plasma.keys_of(entry, ACTION) == [ctrl_shift_k],
          "the desktop's key was lost: %s" % plasma.keys_of(entry, ACTION))
    check(plasma.shortcuts_of_key(CTRL_ALT_A) == [], "Ctrl+Alt+A is bound again")
    check(stored_hotkey(plasma) == (6, ord("K")), "stored %s" % (stored_hotkey(plasma),))
    plasma.press(entry, ACTION)
    wait_for("KWin to show the window", lambda: shown(plasma))
    check(again.process.poll() is None, "the program ended")


def one_entry_after_restarts(plasma):
    for _ in range(3):
        stop(start(plasma))
    app = start(plasma)
    entry = only_entry(plasma)
    check(plasma.shortcuts_of_key(CTRL_ALT_A) == [(entry, ACTION)],
          "Ctrl+Alt+A calls %s" % plasma.shortcuts_of_key(CTRL_ALT_A))
    plasma.press(entry, ACTION)
    wait_for("KWin to show the window", lambda: shown(plasma))
    check(app.process.poll() is None, "the program ended")


SCENARIOS = [
    (bound_at_start_and_called_up_by_the_key, dict()),
    (key_changed_by_the_desktop_survives_a_restart, dict()),
    (one_entry_after_restarts, dict()),
]


if __name__ == "__main__":
    sys.exit(desk.run_scenarios(SCENARIOS, PlasmaDesktop))
