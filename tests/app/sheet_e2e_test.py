#!/usr/bin/python3
"""A sheet in the real program under Xvfb: typed line by line, its first line changed, F9
recalculates every result in place; Ctrl+Shift+C copies a result without group separators;
Ctrl+S saves the sheet through the file chooser, and Ctrl+O opens it again unevaluated.

Usage: sheet_e2e_test.py PATH/TO/tallix
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop as desk  # noqa: E402  (the Xvfb desktop the end-to-end tests share)
from desktop import Desktop, Tallix, check, settings_file, wait_for  # noqa: E402


def choose_file(desktop, title, path):
    """Waits for the file chooser titled `title`, types `path` into it and accepts it."""
    found = wait_for("the %s chooser" % title, lambda: desktop.run(
        "xdotool", "search", "--onlyvisible", "--name", "^%s$" % title).stdout.split())
    desktop.run("xdotool", "windowfocus", "--sync", found[0])
    desktop.key("ctrl+a")
    desktop.type(path)
    desktop.key("Return")
    wait_for("the chooser to close", lambda: not desktop.is_viewable(found[0]))


def main():
    desk.TALLIX = os.path.abspath(sys.argv[1])
    desktop = Desktop(window_manager=True)
    try:
        app = Tallix(desktop)
        app.focus()
        app.enter("r = 2")
        app.enter("pi*r^2")
        text = app.enter("r*1000")
        check(text == "r = 2\npi*r^2\n12.5663706143592\nr*1000\n2'000\n",
              "console read back: %r" % text)

        # The first line becomes r = 3; F9 brings every result after it.
        desktop.key("ctrl+Home", "shift+End")
        desktop.type("r = 3")
        desktop.key("F9")
        recalculated = "r = 3\npi*r^2\n28.2743338823081\nr*1000\n3'000\n"
        app.wait_console("the recalculated sheet", lambda text: text == recalculated)

        # The result of the line r*1000, without its group separator.
        desktop.key("ctrl+Home", "Down", "Down", "Down", "ctrl+shift+c")
        wait_for("the copied result", lambda: desktop.clipboard() == "3000")

        sheet = os.path.join(desktop.home, "sheets", "circle.txt")
        os.makedirs(os.path.dirname(sheet))
        desktop.key("ctrl+s")
        choose_file(desktop, "名前を付けて保存", sheet)
        wait_for("the saved sheet", lambda: os.path.exists(sheet))
        with open(sheet, "rb") as file:
            saved = file.read()
        check(saved == recalculated.encode("utf-8"), "saved: %r" % saved)
        with open(settings_file(desktop.home), encoding="utf-8") as file:
            check("SheetFolder=" in file.read(), "the sheet's folder was not stored")

        # Edited outside, opened again: the lines come in as they are; F9 recalculates.
        with open(sheet, "w", encoding="utf-8") as file:
            file.write("r = 10\npi*r^2\n28.2743338823081\nr*1000\n3'000\n")
        app.focus()
        desktop.key("ctrl+o")
        choose_file(desktop, "開く", sheet)
        app.wait_console("the opened sheet", lambda text: text.startswith("r = 10\n"))
        desktop.key("F9")
        app.wait_console("the opened sheet recalculated", lambda text: text ==
                         "r = 10\npi*r^2\n314.159265358979\nr*1000\n10'000\n")
        check(app.process.poll() is None, "the program ended")
    finally:
        desktop.close()
    print("sheet end to end: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
