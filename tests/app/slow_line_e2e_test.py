#!/usr/bin/python3
"""A line that would run for hours, in the real program under Xvfb.

At 2,000 digits «sqr(1e-100000000)» halves its guess about 170 million times. Esc within a
second of Enter ends it: the error line is in the console within a second of the Esc, the
window stays shown, keys typed while the line ran went nowhere, and «1+1» on the next line
gives 2 at once. The end of the session while such a line runs ends the program cleanly.

Usage: slow_line_e2e_test.py PATH/TO/tallix
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop as desk  # noqa: E402  (the Xvfb desktop the end-to-end tests share)
from desktop import Desktop, Tallix, check, settings_file, wait_for  # noqa: E402

SLOW = "sqr(1e-100000000)"
STOPPED = "ERR2: 計算を中断しました"


def console_text(desktop):
    desktop.run("xdotool", "key", "ctrl+a", "ctrl+c", "ctrl+End")
    return desktop.run("xclip", "-o", "-selection", "clipboard").stdout


def main():
    desk.TALLIX = os.path.abspath(sys.argv[1])
    desktop = Desktop(window_manager=True, tray=True)
    try:
        os.makedirs(os.path.dirname(settings_file(desktop.home)), exist_ok=True)
        with open(settings_file(desktop.home), "w", encoding="utf-8") as file:
            file.write("[Settings]\nMaxPrec=2000\n")
        app = Tallix(desktop)
        app.focus()
        desktop.type(SLOW)
        desktop.run("xdotool", "key", "Return")
        time.sleep(0.5)
        desktop.run("xdotool", "type", "--delay", "20", "777")
        time.sleep(0.2)
        desktop.run("xdotool", "key", "Escape")
        pressed = time.monotonic()

        # Polled as fast as the tools allow; the time is taken when the copy is asked for.
        shown_after = None
        while time.monotonic() - pressed < 10:
            asked = time.monotonic()
            if STOPPED in console_text(desktop):
                shown_after = asked - pressed
                break
        check(shown_after is not None, "no error line after Esc")
        check(shown_after <= 1.0, "the error line came %.2f s after Esc" % shown_after)
        check(desktop.is_viewable(app.window), "Esc during the line hid the window")

        desktop.type("1+1")
        answered = time.monotonic()
        desktop.run("xdotool", "key", "Return")
        text = wait_for("the next result", lambda: (lambda t: t if t.endswith("2\n") else None)(
            console_text(desktop)))
        check(time.monotonic() - answered < 3, "the next line was slow to answer")
        check(text == "%s\n%s\n1+1\n2\n" % (SLOW, STOPPED), "console read back: %r" % text)
        check(app.process.poll() is None, "the program ended")

        # The session ends while a line runs: the line is stopped, waited for, and the
        # program ends as usual, storing its window's place.
        desktop.type(SLOW)
        desktop.run("xdotool", "key", "Return")
        time.sleep(0.7)
        check(app.process.poll() is None, "the program ended before the signal")
        app.process.terminate()
        check(app.wait_end() == 0, "the program did not end cleanly while a line ran")
        with open(settings_file(desktop.home), encoding="utf-8") as file:
            check("left=" in file.read(), "the window's place was not stored")
    finally:
        desktop.close()
    print("slow line end to end: Esc stopped it in %.2f s" % shown_after)
    return 0


if __name__ == "__main__":
    sys.exit(main())
