#!/usr/bin/env python3
"""The program on the distribution's real GNOME Shell (Wayland, headless): a window closed with
Esc is minimised (GNOME shows no tray), and the system shortcut that GNOME users bind to
`tallix` — a second launch, given a startup id by GNOME's launcher — brings it back, restored,
shown and at its size.
"""
import sys

import desktop as desk
from desktop import check, wait_for
from gnome_desktop import GnomeDesktop
from wayland_desktop import WaylandTallix


def main_window(desktop, app):
    windows = [w for w in desktop.windows(app.process.pid) if w["title"] == "Tallix"]
    return windows[0] if windows else None


def focused_window(desktop, app):
    """Gives the keyboard to the main window (GNOME may leave it to the user to click)."""
    def focused():
        window = main_window(desktop, app)
        if window and not window["focused"]:
            desktop.focus(app.process.pid, "Tallix")
        return window if window and window["focused"] else None
    return wait_for("the window to have the keyboard", focused)


def close_with_esc(desktop, app, what):
    """Esc in the focused window. Keys that reach a window in its first moment with the keyboard
    are lost (the toolkit takes the window as active only a while later): Esc is pressed again
    until it takes effect."""
    def minimised():
        if main_window(desktop, app)["minimized"]:
            return True
        focused_window(desktop, app)
        desktop.press("Escape")
        return main_window(desktop, app)["minimized"]
    wait_for(what, minimised)


def esc_then_a_second_launch(desktop):
    app = WaylandTallix(desktop)
    window = focused_window(desktop, app)
    size = (window["width"], window["height"])
    close_with_esc(desktop, app, "Esc to minimise the window")

    # What gsd-media-keys does for a custom shortcut: a new process with a startup id.
    second = WaylandTallix(desktop, env=dict(desktop.client_env,
                                             DESKTOP_STARTUP_ID="tallix-test_TIME0"))
    check(second.wait_end() == 0, "the second launch did not hand over")
    window = wait_for("the second launch to bring the window back",
                      lambda: (lambda w: w if w and not w["minimized"] and w["showing"] else None)(
                          main_window(desktop, app)))
    check((window["width"], window["height"]) == size,
          "the window came back at %sx%s, not %sx%s" % (window["width"], window["height"], *size))

    # And again: called up, it can be closed and called up once more.
    close_with_esc(desktop, app, "Esc to minimise the window again")
    check(WaylandTallix(desktop).wait_end() == 0, "the third launch did not hand over")
    wait_for("the third launch to bring the window back",
             lambda: not main_window(desktop, app)["minimized"])


SCENARIOS = [
    (esc_then_a_second_launch, dict()),
]


if __name__ == "__main__":
    sys.exit(desk.run_scenarios(SCENARIOS, GnomeDesktop))
