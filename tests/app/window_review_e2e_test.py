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


def tray_menu(desktop, *keys):
    """Opens the tray icon's menu with a right click and drives it with keys."""
    icon = wait_for("the tray icon", desktop.tray_icon_centre)
    desktop.run("xdotool", "mousemove", str(icon[0]), str(icon[1]), "click", "3")
    time.sleep(0.2)
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


SCENARIOS = [
    (esc_after_a_menu_gives_keys_to_the_console, dict(window_manager=True)),
    (help_shows_in_its_own_window_without_an_opener, dict(window_manager=True)),
]


if __name__ == "__main__":
    sys.exit(run_scenarios(SCENARIOS))
