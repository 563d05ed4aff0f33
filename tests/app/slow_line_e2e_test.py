#!/usr/bin/python3
"""A line that would run for hours, in the real program under Xvfb.

At 2,000 digits «sqr(1e-100000000)» halves its guess about 170 million times. Esc ends it: the
error line comes into the console, the window stays shown, keys typed while the line ran went
nowhere, and «1+1» on the next line gives 2. The end of the session while such a line runs ends
the program cleanly. A paste with such a line in it is drawn while the line runs, and Esc keeps
every pasted line. How fast any of it happens is for the benchmarks, not for this test.

Usage: slow_line_e2e_test.py PATH/TO/tallix
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop as desk  # noqa: E402  (the Xvfb desktop the end-to-end tests share)
from desktop import Desktop, Tallix, check, settings_file, wait_for  # noqa: E402

SLOW = "sqr(1e-100000000)"
STOPPED = "ERR2: 計算を中断しました"


def start_computing(app):
    """Enters the slow line and waits until the program is observably computing it."""
    used = app.cpu_seconds()
    app.desktop.type(SLOW)
    app.desktop.key("Return")
    # An idle program uses next to no CPU time; half a second of it is the line running.
    wait_for("the line to be computing", lambda: app.cpu_seconds() - used >= 0.5, 60)


def console_ink(desktop, window):
    """Pixels unlike the background in the band of the first console lines (below the menus)."""
    raw = subprocess.run(["import", "-window", window, "-crop", "200x48+0+30", "-depth", "8",
                          "rgb:-"], env=desktop.env, capture_output=True,
                         timeout=desk.TIMEOUT).stdout
    pixels = [raw[i:i + 3] for i in range(0, len(raw) - 2, 3)]
    background = max(set(pixels), key=pixels.count) if pixels else None
    return sum(1 for pixel in pixels if pixel != background)


def paste_with_a_slow_line(desktop, app):
    pasted = "1+1\n%s\n2+2\n3+3\n" % SLOW
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=pasted.encode(),
                   env=desktop.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=desk.TIMEOUT)
    app.focus()
    desktop.key("ctrl+a", "Delete")
    blank = console_ink(desktop, app.window)
    desktop.key("ctrl+v")
    wait_for("the pasted lines drawn while the line runs",
             lambda: console_ink(desktop, app.window) > blank + 150)
    desktop.key("Escape")
    text = app.wait_console("the rest of the paste", lambda text: text.endswith("3+3\n"))
    check(text == "1+1\n2\n%s\n%s\n2+2\n3+3\n" % (SLOW, STOPPED), "console read back: %r" % text)


def main():
    desk.TALLIX = os.path.abspath(sys.argv[1])
    desktop = Desktop(window_manager=True, tray=True)
    try:
        os.makedirs(os.path.dirname(settings_file(desktop.home)), exist_ok=True)
        with open(settings_file(desktop.home), "w", encoding="utf-8") as file:
            file.write("[Settings]\nMaxPrec=2000\n")
        app = Tallix(desktop)
        app.focus()
        # Keys reach the program in the order they are sent, so "777" and Esc arrive while the
        # line runs, whenever the program gets to them.
        desktop.type(SLOW)
        desktop.key("Return")
        desktop.type("777")
        desktop.key("Escape")
        app.wait_console("the error line after Esc", lambda text: STOPPED in text)
        check(desktop.is_viewable(app.window), "Esc during the line hid the window")

        text = app.enter("1+1")
        check(text == "%s\n%s\n1+1\n2\n" % (SLOW, STOPPED), "console read back: %r" % text)
        check(app.process.poll() is None, "the program ended")
        paste_with_a_slow_line(desktop, app)

        # The session ends while a line runs: the line is stopped, waited for, and the
        # program ends as usual, storing its window's place.
        start_computing(app)
        check(app.process.poll() is None, "the program ended before the signal")
        app.process.terminate()
        check(app.wait_end() == 0, "the program did not end cleanly while a line ran")
        with open(settings_file(desktop.home), encoding="utf-8") as file:
            check("left=" in file.read(), "the window's place was not stored")
    finally:
        desktop.close()
    print("slow line end to end: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
