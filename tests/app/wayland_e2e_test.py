#!/usr/bin/env python3
"""The program in a Wayland session: weston without a screen, a private session bus, the real
xdg-desktop-portal frontend with a test backend for global shortcuts (portal_backend.py), and a
StatusNotifierWatcher where a tray is wanted.

Whether the window is shown is what weston's scene graph says; what the program did with a token
is read from its diagnostics (QT_LOGGING_RULES=tallix.*.debug); the backend records every
binding it is asked for.
"""
import os
import subprocess
import sys

from desktop import check, settings_file, stored_rect, wait_for
from wayland_desktop import WaylandTallix, run_scenarios

import dbus


def store_hotkey(desktop, mod, char):
    desktop.store_settings(HotKeyMod=mod, HotKeyChar=char)


def stored_hotkey(desktop):
    """(HotKeyMod, HotKeyChar) as stored; None before anything is."""
    if not os.path.exists(settings_file(desktop.home)):
        return None
    with open(settings_file(desktop.home)) as file:
        text = file.read()
    values = dict(line.split("=", 1) for line in text.splitlines() if "=" in line)
    return int(values.get("HotKeyMod", 0)), int(values.get("HotKeyChar", 0))


def hotkey_through_the_portal(desktop):
    store_hotkey(desktop, 6, ord("Q"))  # Ctrl+Shift+Q
    app = WaylandTallix(desktop, "--hidden")
    app.wait_log("the binding", "bind registered")
    binds = [str(trigger) for _, trigger in desktop.backend().Binds()]
    check(binds == ["CTRL+SHIFT+q"], "the stored combination was not bound: %s" % binds)
    check(not app.shown(), "the hidden start showed the window")

    # The desktop presses the shortcut: the window shows, with the desktop's token.
    check(desktop.backend().Activate("portal-token-1"), "no session to activate")
    wait_for("the window to show", app.shown)
    app.wait_log("the desktop's token", "called up with token portal-token-1")

    # The user changes the trigger in the desktop's settings: that is the key now.
    check(desktop.backend().ChangeTrigger("Ctrl+Alt+Z"), "no session to change")
    wait_for("the new trigger in the settings", lambda: stored_hotkey(desktop) == (3, ord("Z")))

    # A second launch hands its launcher's token to the running window and ends.
    second = WaylandTallix(desktop, env=dict(desktop.env, XDG_ACTIVATION_TOKEN="launch-token-2"))
    check(second.wait_end() == 0, "the second launch did not hand over")
    app.wait_log("the token of the second launch", "called up with token launch-token-2")
    check(app.process.poll() is None, "the program ended")

    # The next start finds the desktop's one entry again, with the key its user chose, even
    # when the settings say otherwise (they were edited, or the desktop changed meanwhile).
    app.process.terminate()
    check(app.wait_end() == 0, "the program did not end cleanly")
    store_hotkey(desktop, 6, ord("Q"))
    again = WaylandTallix(desktop, "--hidden")
    again.wait_log("the binding after the restart", "bind registered")
    entries = [(str(entry), str(trigger)) for entry, trigger in desktop.backend().Entries()]
    check(entries == [("tallix", "Ctrl+Alt+Z")], "the desktop holds %s" % entries)
    wait_for("the desktop's key in the settings", lambda: stored_hotkey(desktop) == (3, ord("Z")))
    check(desktop.backend().Activate(""), "no session to activate")
    wait_for("the window to show after the restart", again.shown)


def desktop_that_leaves_the_key_to_its_user(desktop):
    """The desktop takes the shortcut without a key: no message, and the key its user gives
    it later in the desktop's settings is the call-up key."""
    desktop.backend().Withhold(True)
    app = WaylandTallix(desktop, "--hidden")
    app.wait_log("the binding", "bind without a key")
    check("bind refused" not in app.log(), "the binding was read as refused")
    check(desktop.backend().OpenSessions() == 1, "the session was not kept")
    check(not app.shown(), "a message or the window was shown")
    check(desktop.backend().ChangeTrigger("Ctrl+Alt+K"), "no session to change")
    wait_for("the desktop's key in the settings", lambda: stored_hotkey(desktop) == (3, ord("K")))
    check(desktop.backend().Activate(""), "no session to activate")
    wait_for("the window to show", app.shown)


def without_a_backend(desktop):
    """The portal runs but offers no global shortcuts, or there is no portal at all."""
    app = WaylandTallix(desktop, "--hidden")
    app.wait_log("the answer that there is no hotkey", "bind unsupported")
    # Still alive and answering: a second launch (the shortcut users bind instead) shows it.
    second = WaylandTallix(desktop)
    check(second.wait_end() == 0, "the second launch did not hand over")
    wait_for("the second launch to call the window up", app.shown)
    app.process.terminate()
    check(app.wait_end() == 0, "the program did not end cleanly")


def desktop_that_does_not_answer(desktop):
    app = WaylandTallix(desktop)
    wait_for("the window while the desktop keeps silent", app.shown)
    check("bind " not in app.log(), "the binding was answered")
    # The binding gives up in its own time; the program goes on without a hotkey.
    wait_for("the binding to give up", lambda: "bind unsupported" in app.log(), timeout=60)
    check(app.shown() and app.process.poll() is None, "the program did not go on")


def tray_through_status_notifier(desktop):
    app = WaylandTallix(desktop, "--hidden")
    watcher = desktop.bus.get_object("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")

    def registered():
        return [str(item) for item in watcher.Get("org.kde.StatusNotifierWatcher",
                                                  "RegisteredStatusNotifierItems",
                                                  dbus_interface=dbus.PROPERTIES_IFACE)]

    item = wait_for("the tray icon to register", registered)[0]
    name, path = item[:item.index("/")], item[item.index("/"):]
    check(not app.shown(), "the hidden start showed the window")
    item = desktop.bus.get_object(name, path)
    # What a panel shows and a screen reader reads for the item.
    for key in ("Title", "Id"):
        value = item.Get("org.kde.StatusNotifierItem", key, dbus_interface=dbus.PROPERTIES_IFACE)
        check(value == "Tallix", "the item's %s is %r" % (key, str(value)))
    item.Activate(0, 0, dbus_interface="org.kde.StatusNotifierItem")
    wait_for("the tray to show the window", app.shown)


def stored_place_survives_a_session(desktop):
    """A Wayland client can neither learn nor choose its position: the session restores the
    size and leaves the stored place, on a monitor weston lacks, for the next X11 session."""
    desktop.store_settings(left=1500, top=90, right=1900, bottom=390)
    app = WaylandTallix(desktop)
    wait_for("the window", app.shown)
    app.process.terminate()
    check(app.wait_end() == 0, "the program did not end cleanly")
    check(stored_rect(desktop.home) == (1500, 90, 1900, 390),
          "stored %s" % (stored_rect(desktop.home),))


def hotkey_bound_when_the_session_is_made(desktop):
    hotkey_through_the_portal(desktop)


def registered_items(desktop):
    watcher = desktop.bus.get_object("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")
    return [str(item) for item in watcher.Get("org.kde.StatusNotifierWatcher",
                                              "RegisteredStatusNotifierItems",
                                              dbus_interface=dbus.PROPERTIES_IFACE)]


def closed_with_esc(desktop):
    """Starts the program normally and closes its window with Esc; returns the program and the
    window's size (title bar included) before it was closed."""
    app = WaylandTallix(desktop)
    size = wait_for("the window", app.window_size)
    check(size[0] > 300 and size[1] > 200,
          "the title bar took its room from the console: %s" % (size,))
    if desktop.bus.name_has_owner("org.kde.StatusNotifierWatcher"):
        wait_for("the tray icon", lambda: registered_items(desktop))
    desktop.press_until(["Escape"], lambda: not app.shown(), "Esc to close the window")
    return app, size


def back_in_the_same_size(app, size, how):
    wait_for("%s to bring the window back" % how, app.shown)
    check(app.window_size() == size, "the window came back at %s, not %s" % (app.window_size(), size))


def esc_then_the_key(desktop):
    app, size = closed_with_esc(desktop)
    app.wait_log("the binding", "bind registered")
    check(desktop.backend().Activate("portal-token-3"), "no session to activate")
    back_in_the_same_size(app, size, "the key")
    # Once more: a window called up can be closed and called up again.
    desktop.press_until(["Escape"], lambda: not app.shown(), "Esc to close the window again")
    check(desktop.backend().Activate("portal-token-4"), "no session to activate")
    back_in_the_same_size(app, size, "the key again")


def esc_then_a_second_launch(desktop):
    app, size = closed_with_esc(desktop)
    # GNOME's launchers give the new process a startup id, not an activation token.
    second = WaylandTallix(desktop, env=dict(desktop.client_env, DESKTOP_STARTUP_ID="startup-5"))
    check(second.wait_end() == 0, "the second launch did not hand over")
    back_in_the_same_size(app, size, "the second launch")
    app.wait_log("the launcher's startup id", "called up with token startup-5")


def a_tray_that_comes_later(desktop):
    """The panel's tray comes up after the program (started at login before the panel): the
    icon goes to it, and from then on Esc hides the window to it."""
    app = WaylandTallix(desktop)
    wait_for("the window", app.shown)
    app.wait_log("the answer that there is no hotkey", "bind unsupported")
    desktop.start_watcher()
    item = wait_for("the tray icon to register", lambda: registered_items(desktop))[0]
    desktop.press_until(["Escape"], lambda: "hidden to the tray" in app.log(),
                        "Esc to hide the window to the tray")
    wait_for("the window to go", lambda: not app.shown())
    name, path = item[:item.index("/")], item[item.index("/"):]
    desktop.bus.get_object(name, path).Activate(0, 0, dbus_interface="org.kde.StatusNotifierItem")
    wait_for("the tray to show the window", app.shown)


def told_once_there_is_no_key(desktop):
    """Without a global-shortcuts portal the first start says how to call the window up."""
    app = WaylandTallix(desktop)
    wait_for("the window and the notice",
             lambda: desktop.mapped_windows(app.process.pid).count("Tallix") == 2)
    app.process.terminate()
    check(app.wait_end() == 0, "the program did not end cleanly")
    with open(settings_file(desktop.home)) as file:
        check("NoHotkeyNoticeShown=1" in file.read(), "the notice was not remembered")
    again = WaylandTallix(desktop)
    again.wait_log("the answer that there is no hotkey", "bind unsupported")
    # A round trip through the running program: a second launch is served after the answer.
    check(WaylandTallix(desktop).wait_end() == 0, "the second launch did not hand over")
    again.wait_log("the second launch", "called up")
    check(desktop.mapped_windows(again.process.pid).count("Tallix") == 1, "told again")


def about_title_whole(desktop):
    """Qt draws the title bars on Wayland, with minimise and maximise buttons whatever the
    hints: the About box must be wide enough that its centred title clears them."""
    app = WaylandTallix(desktop)
    wait_for("the window", app.shown)
    title = "Tallixについて"
    desktop.press_until(["alt+h", "a"], lambda: title in desktop.mapped_windows(app.process.pid),
                        "the About box")
    first, last, room = wait_for("the title drawn", lambda: desktop.title_ink(app.process.pid,
                                                                              title))
    check(first > 1 and last < room - 2,
          "the title is cut off: ink from %d to %d of %d pixels" % (first, last, room))


SCENARIOS = [
    (hotkey_through_the_portal, dict()),
    (hotkey_bound_when_the_session_is_made, dict(backend="session")),
    (desktop_that_leaves_the_key_to_its_user, dict()),
    (desktop_that_leaves_the_key_to_its_user, dict(backend="session")),
    (without_a_backend, dict(backend=False)),
    (without_a_backend, dict(portal=False, backend=False)),
    (desktop_that_does_not_answer, dict(backend="silent")),
    (tray_through_status_notifier, dict(portal=False, backend=False, watcher=True)),
    (stored_place_survives_a_session, dict(portal=False, backend=False)),
    (esc_then_the_key, dict(keyboard=True)),
    (esc_then_the_key, dict(keyboard=True, watcher=True)),
    (esc_then_a_second_launch, dict(keyboard=True, backend=False)),
    (esc_then_a_second_launch, dict(keyboard=True, backend=False, watcher=True)),
    (a_tray_that_comes_later, dict(keyboard=True, portal=False, backend=False)),
    (told_once_there_is_no_key, dict(portal=False, backend=False, told=False)),
    (about_title_whole, dict(keyboard=True, portal=False, backend=False)),
]


if __name__ == "__main__":
    sys.exit(run_scenarios(SCENARIOS))
