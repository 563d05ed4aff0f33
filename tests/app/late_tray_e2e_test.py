#!/usr/bin/env python3
"""A tray that comes up after the program, in the real program under Xvfb with openbox: started
at login before the panel, the program puts its icon in the tray once the tray is there, and from
then on Esc hides the window to it instead of minimising it.

(The same with a StatusNotifierWatcher on Wayland is in wayland_e2e_test.py.)
"""
import sys

from desktop import Tallix, check, run_scenarios, wait_for


def x11_tray_that_comes_later(desktop):
    app = Tallix(desktop)
    check(desktop.tray_icon_centre() is None, "an icon without a tray")
    desktop.start_tray_host()
    icon = wait_for("the icon in the tray that came later", desktop.tray_icon_centre)

    app.focus()
    desktop.key("Escape")
    wait_for("Esc to take the window off the screen", lambda: not desktop.is_viewable(app.window))
    check(desktop.wm_state(app.window) != "Iconic", "Esc minimised the window despite the tray")

    desktop.run("xdotool", "mousemove", str(icon[0]), str(icon[1]), "click", "--repeat", "2",
                "--delay", "80", "1")
    wait_for("the icon to show the window", lambda: desktop.is_viewable(app.window))
    check(desktop.windows_titled_tallix() == [app.window],
          "windows: %s" % desktop.windows_titled_tallix())


SCENARIOS = [
    (x11_tray_that_comes_later, dict(window_manager=True)),
]


if __name__ == "__main__":
    sys.exit(run_scenarios(SCENARIOS))
