"""The console as a screen reader meets it: the real program on Xvfb with the accessibility bus,
found through AT-SPI by its name, a line typed, the result read back through the AT-SPI text
interface and heard as text inserted in the console; the progress of a slow line read from
the status bar.

Usage: accessibility_e2e_test.py PATH/TO/tallix [SCENARIO ...]
"""
import os
import subprocess
import sys

from desktop import Desktop, Tallix, check, run_scenarios, wait_for

CONSOLE_NAME = "計算コンソール"
STATUS_NAME = "状態表示"
SLOW = "sqr(1e-100000000)"  # runs for hours
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


class AccessibleDesktop(Desktop):
    """The Xvfb desktop with a session bus of its own and the accessibility bus on it."""

    def __init__(self, **options):
        super().__init__(**options)
        try:
            self.start_session_bus()
            self.start([BUS_LAUNCHER, "--launch-immediately"])
            wait_for("the accessibility bus", self.accessibility_bus_address)
        except BaseException:
            self.close()
            raise
        # Qt would otherwise ask the desktop's settings whether a screen reader is wanted.
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"

    def start_session_bus(self):
        socket = os.path.join(self.env["XDG_RUNTIME_DIR"], "bus")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + socket
        self.start(["dbus-daemon", "--session", "--nofork", "--address=unix:path=" + socket])
        wait_for("the session bus", lambda: os.path.exists(socket))

    def accessibility_bus_address(self):
        reply = self.run("dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                         "/org/a11y/bus", "org.a11y.Bus.GetAddress")
        return reply.returncode == 0 and "unix:" in reply.stdout


def find_accessible(root, predicate, depth=8):
    """The first object under `root` (itself included) that satisfies `predicate`."""
    if root is None:
        return None
    if predicate(root):
        return root
    if depth == 0:
        return None
    for index in range(root.childCount):
        found = find_accessible(root.getChildAtIndex(index), predicate, depth - 1)
        if found is not None:
            return found
    return None


def console_heard_through_the_accessibility_bus(desktop):
    # pyatspi finds both buses from the environment it is imported in.
    os.environ.update({key: desktop.env[key] for key in ("DBUS_SESSION_BUS_ADDRESS", "DISPLAY")})
    import pyatspi
    from gi.repository import GLib

    inserted = []
    pyatspi.Registry.registerEventListener(
        lambda event: inserted.append((event.source.name, event.detail1, event.any_data)),
        "object:text-changed:insert")

    def pump(predicate):
        """Lets the events that have come in reach the listener, then asks the predicate."""
        def ask():
            while GLib.MainContext.default().iteration(False):
                pass
            return predicate()
        return ask

    app = Tallix(desktop)
    desktop_root = pyatspi.Registry.getDesktop(0)
    console = wait_for("the console on the accessibility bus", lambda: find_accessible(
        desktop_root, lambda item: item.name == CONSOLE_NAME))
    check(console.getRole() == pyatspi.ROLE_TEXT, "the console is a %s" % console.getRoleName())
    check("Enter" in console.description and "計算" in console.description,
          "the console's description: %r" % console.description)
    text = console.queryText()

    app.focus()
    desktop.type("1+2")
    desktop.key("Return")
    wait_for("the result in the console's text",
             lambda: text.getText(0, -1) == "1+2\n3\n")
    wait_for("the result heard as text inserted in the console", pump(
        lambda: (CONSOLE_NAME, 4, "3") in inserted))

    desktop.type("sqr(2)")
    desktop.key("Return")
    wait_for("the second result in the console's text",
             lambda: text.getText(0, -1) == "1+2\n3\nsqr(2)\n1.4142135623731\n")
    wait_for("the second result heard", pump(
        lambda: (CONSOLE_NAME, 13, "1.4142135623731") in inserted))

    # A slow line: the status bar tells how long it has run, and a screen reader can read it.
    desktop.type(SLOW)
    desktop.key("Return")
    status = wait_for("the status bar on the accessibility bus", lambda: find_accessible(
        desktop_root, lambda item: item.getRole() == pyatspi.ROLE_STATUS_BAR))
    check(status.name == STATUS_NAME, "the status bar is named %r" % status.name)
    wait_for("the progress in the status bar's description",
             lambda: status.description.startswith("計算中 ") and "Esc: 中断" in status.description)
    desktop.key("Escape")
    wait_for("the stopped line", lambda: text.getText(0, -1).endswith(
        "%s\nERR2: 計算を中断しました\n" % SLOW))
    check(app.exit_from_menu() == 0, "the program did not end cleanly")


SCENARIOS = [
    (console_heard_through_the_accessibility_bus, dict(window_manager=True)),
]


if __name__ == "__main__":
    sys.exit(run_scenarios(SCENARIOS, make_desktop=AccessibleDesktop))
