#!/usr/bin/python3
"""The console, the hotkey, the tray, single instance and the window's rectangle in the real
program on an Xvfb desktop (desktop.py).

Usage: window_e2e_test.py PATH/TO/tallix [SCENARIO ...]
"""
import os
import sys

import mpmath

from desktop import Tallix, check, run_scenarios, store_rect, stored_rect, wait_for


def expected_area():
    """pi*r^2 for r = 2 at the default 15 digits, as the console writes it."""
    mpmath.mp.dps = 40
    return mpmath.nstr(mpmath.pi * 4, 15)


# Scenarios.

def console_hotkey_tray_and_second_launch(desktop):
    app = Tallix(desktop)
    app.focus()
    app.enter("r = 2")
    copied = app.enter("pi*r^2")
    check(copied == "r = 2\npi*r^2\n%s\n" % expected_area(), "console read back: %r" % copied)

    # Esc hides the window to the tray; the hotkey brings it back in front.
    desktop.key("Escape")
    wait_for("the window to hide", lambda: not desktop.is_viewable(app.window))
    desktop.key("ctrl+alt+a")
    wait_for("the hotkey to show the window", lambda: desktop.is_viewable(app.window))
    wait_for("the window in front", lambda: desktop.active_window() == int(app.window))

    # The tray icon: a single click does nothing, a double-click shows the window.
    icon = wait_for("the tray icon", desktop.tray_icon_centre)
    desktop.key("Escape")
    wait_for("the window to hide again", lambda: not desktop.is_viewable(app.window))
    desktop.run("xdotool", "mousemove", str(icon[0]), str(icon[1]), "click", "1")
    app.round_trip()
    check(not desktop.is_viewable(app.window), "a single click on the icon showed the window")
    desktop.run("xdotool", "mousemove", str(icon[0]), str(icon[1]), "click", "--repeat", "2",
                "--delay", "80", "1")
    wait_for("the double-click to show the window", lambda: desktop.is_viewable(app.window))

    # A second launch shows the first one's window and ends; no second window, no second icon.
    desktop.key("Escape")
    wait_for("the window to hide before the second launch",
             lambda: not desktop.is_viewable(app.window))
    second = Tallix(desktop, expect_window=False)
    check(second.wait_end() == 0, "the second launch failed")
    wait_for("the first window to come back", lambda: desktop.is_viewable(app.window))
    check(desktop.windows_titled_tallix() == [app.window],
          "windows after the second launch: %s" % desktop.windows_titled_tallix())
    check(app.process.poll() is None, "the first instance ended")

    # Exit from the tray menu ends the program and stores the rectangle. The menu's last
    # item is the exit; Up from the opened menu reaches it.
    app.open_tray_menu()
    desktop.key("Up")
    desktop.key("Return")
    check(app.wait_end() == 0, "the program did not end from the tray menu")
    check(desktop.tray_icon_centre() is None, "the tray icon stayed after the end")
    check(stored_rect(desktop.home) == desktop_rect_default(), "rectangle not stored")


def desktop_rect_default():
    return (0, 0, 300, 200)


def rectangle_survives_restarts_under_frames(desktop):
    store_rect(desktop.home, (120, 90, 520, 390))
    app = Tallix(desktop)
    wait_for("the frame to fit the stored rectangle",
             lambda: desktop.outer_rect(app.window) == (120, 90, 520, 390))

    # The user moves and resizes the window; Exit stores where it is now.
    desktop.run("xdotool", "windowsize", "--sync", app.window, "350", "260")
    desktop.run("xdotool", "windowmove", "--sync", app.window, "200", "150")
    moved = wait_for("the window to move", lambda: (lambda rect: rect[:2] != (120, 90) and rect)(
        desktop.outer_rect(app.window)))
    check(app.exit_from_menu() == 0, "Exit from the File menu failed")
    check(stored_rect(desktop.home) == moved, "stored %s, window was %s" % (
        stored_rect(desktop.home), moved))

    # Two more starts open exactly there: no drift by the frame's size.
    for start in range(2):
        app = Tallix(desktop)
        wait_for("the window at the stored rectangle (start %d)" % (start + 2),
                 lambda: desktop.outer_rect(app.window) == moved)
        check(app.exit_from_menu() == 0, "Exit failed")
        check(stored_rect(desktop.home) == moved, "drift: stored %s after start %d" % (
            stored_rect(desktop.home), start + 2))

    # Without a tray, closing minimises; the hotkey restores.
    app = Tallix(desktop)
    app.focus()
    desktop.key("Escape")
    wait_for("the window to minimise", lambda: desktop.wm_state(app.window) == "Iconic")
    desktop.key("ctrl+alt+a")
    wait_for("the hotkey to restore", lambda: desktop.wm_state(app.window) == "Normal" and
             desktop.is_viewable(app.window))
    check(app.exit_from_menu() == 0, "Exit failed")


def hidden_start_and_taken_hotkey(desktop):
    first = Tallix(desktop, "/S", expect_window=False)
    first.round_trip()  # the program is up and past the point where it would show the window
    check(first.process.poll() is None, "the hidden start ended")
    check(first.main_window() is None, "/S showed the window")
    desktop.key("ctrl+alt+a")
    first.window = wait_for("the hotkey to show the hidden window", first.main_window)

    # Another user's instance (its own home and lock) finds the combination held.
    other_home = os.path.join(desktop.home, "other")
    other_env = desktop.environment(other_home)
    other = Tallix(desktop, env=other_env, expect_window=False)
    message = wait_for("the message about the taken key", other.main_window)
    check("_NET_WM_WINDOW_TYPE_DIALOG" in desktop.run("xprop", "-id", message,
                                                      "_NET_WM_WINDOW_TYPE").stdout,
          "the first window of the second program is not a message box")
    desktop.run("xdotool", "windowactivate", "--sync", message)
    desktop.key("Return")
    wait_for("the message to go", lambda: not desktop.is_viewable(message))
    wait_for("the other program's window", lambda: [
        w for w in desktop.windows_titled_tallix(other.process.pid) if w != message])
    check(other.process.poll() is None, "the program stopped after the message")

    # The key still belongs to the first program.
    first.focus()
    desktop.key("Escape")
    wait_for("the first window to hide", lambda: not desktop.is_viewable(first.window))
    desktop.key("ctrl+alt+a")
    wait_for("the first window back", lambda: desktop.is_viewable(first.window))


def huge_stored_rectangle_is_clamped(desktop):
    """Sizes no screen can show open at the screen's size, within 1.5 GB of address space."""
    for stored in [(0, 0, 2000000000, 2000000000), (0, 0, 32767, 32767),
                   (0, 0, 16777217, 16777240)]:
        store_rect(desktop.home, stored)
        app = Tallix(desktop, launcher=["prlimit", "--as=1500000000"])
        check(app.exit_from_menu() == 0, "the program did not end cleanly with %s" % (stored,))
        left, top, right, bottom = stored_rect(desktop.home)
        check(160 <= right - left <= 1024 and 100 <= bottom - top <= 768,
              "stored %s after %s" % ((left, top, right, bottom), stored))


def rectangle_off_every_screen_moves_onto_it(desktop):
    # Only a 29-pixel corner of it would show on the 1024x768 screen.
    store_rect(desktop.home, (995, 700, 1295, 900))
    app = Tallix(desktop)
    wait_for("the window on the screen",
             lambda: desktop.outer_rect(app.window) == (724, 568, 1024, 768))
    check(stored_rect(desktop.home) == (995, 700, 1295, 900), "the correction was stored at start")
    check(app.exit_from_menu() == 0, "Exit failed")
    check(stored_rect(desktop.home) == (724, 568, 1024, 768),
          "stored %s" % (stored_rect(desktop.home),))


SCENARIOS = [
    (console_hotkey_tray_and_second_launch, dict(window_manager=True, tray=True)),
    (rectangle_survives_restarts_under_frames, dict(window_manager=True)),
    # The tray gives the hidden start something to answer that does not show the window.
    (hidden_start_and_taken_hotkey, dict(window_manager=True, tray=True)),
    (huge_stored_rectangle_is_clamped, dict(window_manager=True)),
    (rectangle_off_every_screen_moves_onto_it, dict(window_manager=True)),
]


if __name__ == "__main__":
    sys.exit(run_scenarios(SCENARIOS))
