#!/usr/bin/python3
"""The real program under its own X server, driven as a user would drive it.

Each scenario starts a fresh Xvfb (on a display number the server picks itself), a fresh home
folder and, where the scenario needs them, a window manager that draws frames (openbox) and a
tray host (trayer). xdotool types and clicks, xclip reads the clipboard, xwininfo and xprop
tell where windows are. Everything a scenario starts is stopped when it ends.

Usage: window_e2e_test.py PATH/TO/tallix
"""
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

import mpmath

TIMEOUT = 15
TALLIX = None


def wait_for(what, predicate, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


class Desktop:
    """An X server with a fresh home folder, and whatever is started on it."""

    def __init__(self, window_manager=False, tray=False):
        self.home = tempfile.mkdtemp(prefix="tallix-window-e2e-")
        self.processes = []
        self.env = self.environment(self.home)
        try:
            self.start_server()
            if window_manager:
                self.start_window_manager()
            if tray:
                self.start_tray_host()
        except BaseException:
            self.close()
            raise

    def environment(self, home):
        runtime = os.path.join(home, "runtime")
        os.makedirs(runtime, 0o700, exist_ok=True)
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb", LANG="C.UTF-8")
        for name in ("WAYLAND_DISPLAY", "XAUTHORITY", "SESSION_MANAGER", "DBUS_SESSION_BUS_ADDRESS"):
            env.pop(name, None)
        if hasattr(self, "display"):
            env["DISPLAY"] = self.display
        return env

    def start_server(self):
        read_end, write_end = os.pipe()
        server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
             "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.processes.append(server)
        # The server writes the number and then a newline: read both, or its second write fails.
        reply = b""
        deadline = time.monotonic() + TIMEOUT
        while not reply.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_end], [], [], 0.5)
            chunk = os.read(read_end, 32) if ready else b""
            if ready and not chunk:
                break
            reply += chunk
        os.close(read_end)
        number = reply.decode().strip()
        check(number.isdigit(), "Xvfb did not report its display")
        self.display = ":" + number
        self.env["DISPLAY"] = self.display

    def start_window_manager(self):
        self.start(["openbox", "--sm-disable"])
        wait_for("the window manager", lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in
                 self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK").stdout)

    def start_tray_host(self):
        self.start(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                    "--height", "24", "--SetDockType", "false"])
        wait_for("the tray host", lambda: "window id" in
                 self.run("xprop", "-root", "_NET_SYSTEM_TRAY_S0").stdout or
                 self.run("xdotool", "search", "--classname", "trayer").stdout.strip())
        wait_for("the tray selection", lambda: self.tray_selection_owned())

    def tray_selection_owned(self):
        # The tray announces itself by owning the selection; xclip can ask who owns it.
        result = self.run("xclip", "-o", "-selection", "_NET_SYSTEM_TRAY_S0", "-t", "TARGETS")
        return result.returncode == 0 or "trayer" in self.run("xwininfo", "-root", "-tree").stdout

    def start(self, argv, env=None):
        process = subprocess.Popen(argv, env=env or self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def run(self, *argv, env=None):
        return subprocess.run(argv, env=env or self.env, capture_output=True, text=True,
                              timeout=TIMEOUT)

    def key(self, *keys):
        self.run("xdotool", "key", "--delay", "40", *keys)
        time.sleep(0.3)

    def type(self, text):
        self.run("xdotool", "type", "--delay", "40", text)
        time.sleep(0.2)

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.home, ignore_errors=True)

    # What the X server says about windows.

    def info(self, window):
        return self.run("xwininfo", "-id", window).stdout

    def is_viewable(self, window):
        return "IsViewable" in self.info(window)

    def wm_state(self, window):
        # 1 normal, 3 iconic; None while the window manager has not managed it.
        found = re.search(r"window state: (\w+)", self.run("xprop", "-id", window, "WM_STATE").stdout)
        return found.group(1) if found else None

    def active_window(self):
        found = re.search(r"window id # (0x[0-9a-f]+)",
                          self.run("xprop", "-root", "_NET_ACTIVE_WINDOW").stdout)
        return int(found.group(1), 16) if found else None

    def client_rect(self, window):
        text = self.info(window)
        numbers = [int(re.search(label + r":\s+(-?\d+)", text).group(1))
                   for label in ("Absolute upper-left X", "Absolute upper-left Y", "Width",
                                 "Height")]
        return tuple(numbers)

    def outer_rect(self, window):
        """left, top, right, bottom of the window with its frame, as the settings hold them."""
        x, y, width, height = self.client_rect(window)
        extents = re.findall(r"-?\d+", self.run("xprop", "-id", window,
                                                 "_NET_FRAME_EXTENTS").stdout.split("=")[-1])
        left, right, top, bottom = map(int, extents) if len(extents) == 4 else (0, 0, 0, 0)
        return (x - left, y - top, x + width + right, y + height + bottom)

    def windows_titled_tallix(self, pid=None):
        """Visible windows named exactly "Tallix", of one process if a pid is given."""
        # xdotool matches names ignoring case (the tray icon's window is "tallix"), and its
        # --pid does not narrow a name search: both are checked here.
        found = []
        for window in self.run("xdotool", "search", "--onlyvisible", "--name",
                               "^Tallix$").stdout.split():
            if self.run("xdotool", "getwindowname", window).stdout.strip() != "Tallix":
                continue
            owner = re.search(r"= (\d+)", self.run("xprop", "-id", window, "_NET_WM_PID").stdout)
            if pid is None or (owner and int(owner.group(1)) == pid):
                found.append(window)
        return found

    def tray_icon_centre(self):
        """Where the program's icon sits in the tray, or None."""
        for line in self.run("xwininfo", "-root", "-tree").stdout.splitlines():
            found = re.search(r'"tallix": \("tallix" "tallix"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+'
                              r'\s+\+(-?\d+)\+(-?\d+)', line)
            if found:
                width, height, x, y = map(int, found.groups())
                if width <= 48 and height <= 48:
                    return x + width // 2, y + height // 2
        return None


class Tallix:
    """One launch of the program on a desktop."""

    def __init__(self, desktop, *arguments, env=None, expect_window=True):
        self.desktop = desktop
        self.process = desktop.start([TALLIX, *arguments], env=env)
        self.window = None
        if expect_window:
            self.window = wait_for("the window", lambda: self.main_window())

    def main_window(self):
        windows = self.desktop.windows_titled_tallix(self.process.pid)
        return windows[0] if windows else None

    def focus(self):
        self.desktop.run("xdotool", "windowactivate", "--sync", self.window)
        self.desktop.run("xdotool", "windowfocus", "--sync", self.window)
        time.sleep(0.2)

    def wait_end(self):
        return self.process.wait(TIMEOUT)

    def exit_from_menu(self):
        self.focus()
        self.desktop.key("alt+f")
        self.desktop.key("x")
        return self.wait_end()


def settings_file(home):
    return os.path.join(home, ".config", "Morvane", "Tallix.conf")


def stored_rect(home):
    with open(settings_file(home), encoding="utf-8") as file:
        text = file.read()
    return tuple(int(re.search(rf"^{key}=(-?\d+)$", text, re.M).group(1))
                 for key in ("left", "top", "right", "bottom"))


def store_rect(home, rect):
    os.makedirs(os.path.dirname(settings_file(home)), exist_ok=True)
    with open(settings_file(home), "w", encoding="utf-8") as file:
        file.write("[Settings]\nleft=%d\ntop=%d\nright=%d\nbottom=%d\n" % rect)


def expected_area():
    """pi*r^2 for r = 2 at the default 15 digits, as the console writes it."""
    mpmath.mp.dps = 40
    return mpmath.nstr(mpmath.pi * 4, 15)


# Scenarios.

def console_hotkey_tray_and_second_launch(desktop):
    app = Tallix(desktop)
    app.focus()
    desktop.type("r = 2")
    desktop.key("Return")
    desktop.type("pi*r^2")
    desktop.key("Return")
    desktop.key("ctrl+a", "ctrl+c")
    copied = wait_for("the clipboard", lambda: desktop.run(
        "xclip", "-o", "-selection", "clipboard").stdout)
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
    time.sleep(1.0)
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
    desktop.run("xdotool", "mousemove", str(icon[0]), str(icon[1]), "click", "3")
    time.sleep(1.0)
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
    desktop.run("xdotool", "windowsize", app.window, "350", "260")
    desktop.run("xdotool", "windowmove", app.window, "200", "150")
    time.sleep(1.0)
    moved = desktop.outer_rect(app.window)
    check(moved != (120, 90, 520, 390), "the window did not move")
    check(app.exit_from_menu() == 0, "Exit from the File menu failed")
    check(stored_rect(desktop.home) == moved, "stored %s, window was %s" % (
        stored_rect(desktop.home), moved))

    # Two more starts open exactly there: no drift by the frame's size.
    for start in range(2):
        app = Tallix(desktop)
        wait_for("the window at the stored rectangle (start %d)" % (start + 2),
                 lambda: desktop.outer_rect(app.window) == moved)
        time.sleep(0.5)
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
    time.sleep(1.5)
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
    wait_for("the first window to minimise", lambda: desktop.wm_state(first.window) == "Iconic")
    desktop.key("ctrl+alt+a")
    wait_for("the first window back", lambda: desktop.wm_state(first.window) == "Normal")


SCENARIOS = [
    (console_hotkey_tray_and_second_launch, dict(window_manager=True, tray=True)),
    (rectangle_survives_restarts_under_frames, dict(window_manager=True)),
    (hidden_start_and_taken_hotkey, dict(window_manager=True)),
]


def main():
    global TALLIX
    TALLIX = os.path.abspath(sys.argv[1])
    wanted = sys.argv[2:]
    failures = 0
    for scenario, options in SCENARIOS:
        if wanted and scenario.__name__ not in wanted:
            continue
        started = time.monotonic()
        desktop = Desktop(**options)
        try:
            scenario(desktop)
            print("PASS %s (%.1f s)" % (scenario.__name__, time.monotonic() - started))
        except Exception:
            failures += 1
            print("FAIL %s" % scenario.__name__)
            traceback.print_exc()
        finally:
            desktop.close()
    return 1 if failures else 0


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(main())
