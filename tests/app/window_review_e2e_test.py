#!/usr/bin/python3
"""The window as a user meets it, in the real program on an Xvfb desktop (desktop.py): a menu
closed with Esc gives the keys back to the console, the help page shows in the program's own
window where the desktop cannot open it, the tray menu works while a slow line runs, and the
program ends from every state it can be in.

Usage: window_review_e2e_test.py PATH/TO/tallix [SCENARIO ...]
"""
import os
import signal
import socket
import sys
import time

from desktop import Tallix, check, run_scenarios, settings_file, wait_for

SLOW = "sqr(1e-100000000)"  # at 2,000 digits it would run for hours


def console_text(desktop):
    desktop.run("xdotool", "key", "ctrl+a", "ctrl+c", "ctrl+End")
    return desktop.run("xclip", "-o", "-selection", "clipboard").stdout


def wait_for_console(desktop, text):
    wait_for("the console to read %r" % text, lambda: console_text(desktop) == text)


def visible_titled(desktop, title):
    return desktop.run("xdotool", "search", "--onlyvisible", "--name", "^%s$" % title).stdout.split()


def store_precision(desktop, digits):
    os.makedirs(os.path.dirname(settings_file(desktop.home)), exist_ok=True)
    with open(settings_file(desktop.home), "w", encoding="utf-8") as file:
        file.write("[Settings]\nMaxPrec=%d\n" % digits)


def start_slow_line(desktop, app):
    app.focus()
    desktop.type(SLOW)
    desktop.run("xdotool", "key", "Return")
    time.sleep(0.2)
    check(app.process.poll() is None, "the program ended")


def shown_windows(desktop, app):
    return desktop.run("xdotool", "search", "--onlyvisible", "--pid",
                       str(app.process.pid)).stdout.split()


def tray_menu(desktop, app, *keys):
    """Opens the tray icon's menu with a right click and drives it with keys.

    A menu opened while the window is still taking the activation it was just given closes
    again at once; the click is repeated until the menu stays up.
    """
    icon = wait_for("the tray icon", desktop.tray_icon_centre)

    def menu_opens():
        before = set(shown_windows(desktop, app))
        desktop.run("xdotool", "mousemove", str(icon[0]), str(icon[1]), "click", "3")
        try:
            return wait_for("the tray menu", lambda: set(shown_windows(desktop, app)) - before, 2)
        except AssertionError:
            return None

    wait_for("the tray menu to open", menu_opens, 20)
    desktop.key(*keys)


def menu_bar_origin(desktop, app):
    x, y, _, _ = desktop.client_rect(app.window)
    return x, y


# Scenarios.

def esc_after_a_menu_gives_keys_to_the_console(desktop):
    app = Tallix(desktop)
    app.focus()
    desktop.key("alt+e")
    desktop.key("Escape")
    desktop.type("1+1")
    desktop.key("Return")
    wait_for_console(desktop, "1+1\n2\n")

    # The File menu opened with the mouse, closed with Esc.
    x, y = menu_bar_origin(desktop, app)
    desktop.run("xdotool", "mousemove", str(x + 15), str(y + 10), "click", "1")
    time.sleep(0.2)
    desktop.key("Escape")
    desktop.type("2+3")
    desktop.key("Return")
    wait_for_console(desktop, "1+1\n2\n2+3\n5\n")


def help_shows_in_its_own_window_without_an_opener(desktop):
    # An opener that finds no program for HTML files, then no opener at all.
    stubs = os.path.join(desktop.home, "stubs")
    os.makedirs(stubs)
    with open(os.path.join(stubs, "xdg-open"), "w", encoding="utf-8") as script:
        script.write("#!/bin/sh\nexit 3\n")
    os.chmod(os.path.join(stubs, "xdg-open"), 0o755)
    for path in (stubs, os.path.join(desktop.home, "nothing")):
        env = dict(desktop.env, PATH=path)
        app = Tallix(desktop, env=env)
        app.focus()
        desktop.key("F1")
        page = wait_for("the help window", lambda: visible_titled(desktop, "Tallix ヘルプ"))
        check(desktop.windows_titled_tallix(app.process.pid) == [app.window],
              "a message box came with the help window")
        desktop.run("xdotool", "windowclose", page[0])
        check(app.exit_from_menu() == 0, "Exit failed")


def tray_menu_works_during_a_slow_line(desktop):
    store_precision(desktop, 2000)
    app = Tallix(desktop)
    start_slow_line(desktop, app)
    desktop.run("xdotool", "windowminimize", "--sync", app.window)
    wait_for("the window to minimise", lambda: desktop.wm_state(app.window) == "Iconic")
    tray_menu(desktop, app, "Down", "Return")  # 開く
    wait_for("開く to show the window", lambda: desktop.wm_state(app.window) == "Normal")
    tray_menu(desktop, app, "Up", "Return")  # Tallixの終了
    check(app.wait_end() == 0, "Exit from the tray menu did not end the program")


def about_box(desktop, app):
    app.focus()
    desktop.key("alt+h")
    desktop.key("a")
    wait_for("the About box", lambda: visible_titled(desktop, "Tallixについて"))


def exits_from_every_state(desktop):
    """Each state, and the way out taken from it; the end is awaited with a deadline."""

    def after_a_line(app):
        app.focus()
        desktop.type("1+1")
        desktop.key("Return")

    def font_dialog(app):
        app.focus()
        desktop.key("alt+s")
        desktop.key("f")
        wait_for("the font dialog", lambda: visible_titled(desktop, "フォントの選択"))

    def client_connected(app):
        client = socket.socket(socket.AF_UNIX)
        client.connect(os.path.join(desktop.env["XDG_RUNTIME_DIR"], "Tallix.socket"))
        return client

    def terminate(app):
        app.process.send_signal(signal.SIGTERM)

    def exit_from_menu(app):
        app.focus()
        desktop.key("alt+f")
        desktop.key("x")

    def exit_from_tray(app):
        tray_menu(desktop, app, "Up", "Return")

    cases = [
        ("a line just finished", after_a_line, exit_from_menu),
        ("a line just finished", after_a_line, terminate),
        ("the About box open", lambda app: about_box(desktop, app), exit_from_tray),
        ("the About box open", lambda app: about_box(desktop, app), terminate),
        ("the font dialog open", font_dialog, exit_from_tray),
        ("the tray menu open", lambda app: tray_menu(desktop, app), terminate),
        ("a client on the local socket", client_connected, exit_from_menu),
        ("a slow line running", lambda app: start_slow_line(desktop, app), exit_from_tray),
        ("a slow line running", lambda app: start_slow_line(desktop, app), terminate),
    ]
    store_precision(desktop, 2000)
    for state, enter, leave in cases:
        app = Tallix(desktop)
        kept = enter(app)
        leave(app)
        try:
            code = app.wait_end()
        except Exception as error:
            raise AssertionError("no end with %s (%s)" % (state, leave.__name__)) from error
        check(code == 0, "exit code %s with %s (%s)" % (code, state, leave.__name__))
        del kept


SCENARIOS = [
    (esc_after_a_menu_gives_keys_to_the_console, dict(window_manager=True)),
    (help_shows_in_its_own_window_without_an_opener, dict(window_manager=True)),
    (tray_menu_works_during_a_slow_line, dict(window_manager=True, tray=True)),
    (exits_from_every_state, dict(window_manager=True, tray=True)),
]


if __name__ == "__main__":
    sys.exit(run_scenarios(SCENARIOS))
