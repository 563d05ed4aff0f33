"""A Wayland desktop for end-to-end tests: weston without a screen, a private session bus, the
real xdg-desktop-portal frontend with a test backend for global shortcuts, and, where asked, a
StatusNotifierWatcher as a panel's tray provides.

Headless weston takes no input. Where a scenario needs keys, weston runs on its X11 back-end
inside an Xvfb of its own instead, and xdotool types into weston's output window.

Each scenario gets a fresh home folder, runtime folder and bus. Everything started is stopped
when the scenario ends. The program's diagnostics (Qt logging categories tallix.*) go to a log
file that the tests read.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import dbus

import desktop as desk
from desktop import TIMEOUT, check, stop_processes, wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
PORTAL_FRONTEND = "/usr/libexec/xdg-desktop-portal"
BACKEND_NAME = "org.freedesktop.impl.portal.desktop.tallixtest"
PORTAL_NAME = "org.freedesktop.portal.Desktop"
WATCHER_NAME = "org.kde.StatusNotifierWatcher"
SOCKET = "tallix-wayland"

# No panel: a stray click launches nothing.
WESTON_CONFIG = """[core]
idle-time=0
[shell]
panel-position=none
"""

# A bus of the given type ("session" or "system") listening on the socket path filled in for %s.
BUS_CONFIG_OF_TYPE = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>{type}</type>
  <listen>unix:path=%s</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""

PORTAL_FILE = """[portal]
DBusName=%s
Interfaces=org.freedesktop.impl.portal.GlobalShortcuts;
UseIn=tallixtest
""" % BACKEND_NAME


class WaylandDesktop:
    """portal: run the portal frontend; backend: give it the global-shortcuts backend, one that
    binds at BindShortcuts (True or "bind"), at CreateSession ("session") or never answers
    ("silent"); watcher: a StatusNotifierWatcher; compositor: weston; keyboard: weston on an Xvfb
    that xdotool types into; told: the user was told already that the session offers no call-up
    key (the notice would stand in the way of other scenarios)."""

    def __init__(self, portal=True, backend=True, watcher=False, compositor=True,
                 keyboard=False, told=True):
        self.home = tempfile.mkdtemp(prefix="tallix-wayland-e2e-")
        self.processes = []
        self.x_server = None
        self.runtime = os.path.join(self.home, "runtime")
        os.makedirs(self.runtime, 0o700)
        self.env = dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_RUNTIME_DIR=self.runtime, LANG="C.UTF-8")
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "SESSION_MANAGER",
                     "XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"):
            self.env.pop(name, None)
        if told:
            self.store_settings(NoHotkeyNoticeShown=1)
        try:
            self.start_bus()
            if backend:
                mode = "bind" if backend is True else backend
                self.start_service([sys.executable, os.path.join(HERE, "portal_backend.py"),
                                    "--" + mode], BACKEND_NAME)
            if watcher:
                self.start_watcher()
            if portal:
                self.start_portal(backend)
            if compositor:
                self.start_compositor(keyboard)
        except BaseException:
            self.close()
            raise

    def start_bus(self):
        self.start_private_bus("session", "bus", "DBUS_SESSION_BUS_ADDRESS")

    def start_private_bus(self, kind, name, variable):
        """Starts a dbus-daemon of the given type ("session" or "system") on the socket `name` in
        the desktop's runtime folder, and points `variable` of the desktop's environment at it."""
        config = os.path.join(self.home, name + ".conf")
        socket = os.path.join(self.runtime, name)
        with open(config, "w") as file:
            file.write(BUS_CONFIG_OF_TYPE.replace("{type}", kind) % socket)
        self.start(["dbus-daemon", "--nofork", "--config-file=" + config])
        self.env[variable] = "unix:path=" + socket
        wait_for("the %s bus" % kind, lambda: os.path.exists(socket))
        self.bus = wait_for("a connection to the bus", self.connect_bus)

    def connect_bus(self):
        try:
            return dbus.bus.BusConnection(self.env["DBUS_SESSION_BUS_ADDRESS"])
        except dbus.DBusException:
            return None

    def start_watcher(self):
        """A panel's StatusNotifierWatcher comes up (now or later in the session)."""
        self.start_service([sys.executable, os.path.join(HERE, "status_notifier_watcher.py")],
                           WATCHER_NAME)

    def store_settings(self, **values):
        """Writes `values` into the program's settings, keeping what is stored already."""
        path = desk.settings_file(self.home)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        lines = ["[Settings]"]
        if os.path.exists(path):
            with open(path, encoding="utf-8") as file:
                lines = [line for line in file.read().splitlines()
                         if line.split("=", 1)[0] not in values]
        lines += ["%s=%s" % item for item in values.items()]
        with open(path, "w", encoding="utf-8") as file:
            file.write("\n".join(lines) + "\n")

    def start_service(self, argv, name):
        self.start(argv)
        wait_for(name, lambda: self.bus.name_has_owner(name))

    def start_portal(self, backend):
        portals = os.path.join(self.home, "portals")
        os.makedirs(portals)
        with open(os.path.join(portals, "tallixtest.portal"), "w") as file:
            file.write(PORTAL_FILE)
        # Without a backend the frontend finds no portal file for this desktop.
        env = dict(self.env, XDG_DESKTOP_PORTAL_DIR=portals,
                   XDG_CURRENT_DESKTOP="tallixtest" if backend else "nobackend")
        self.start([PORTAL_FRONTEND], env=env)
        wait_for("the portal frontend", lambda: self.bus.name_has_owner(PORTAL_NAME))

    def start_compositor(self, keyboard):
        self.env["WAYLAND_DISPLAY"] = SOCKET
        # --debug lets weston-debug show the scene graph: which windows are mapped.
        if keyboard:
            self.x_server = desk.Desktop()
            self.env["DISPLAY"] = self.x_server.display
            config = os.path.join(self.home, "weston.ini")
            with open(config, "w") as file:
                file.write(WESTON_CONFIG)
            self.start(["weston", "--backend=x11-backend.so", "--socket=" + SOCKET, "--use-pixman",
                        "--config=" + config, "--width=1024", "--height=700", "--debug"])
        else:
            self.start(["weston", "--backend=headless-backend.so", "--socket=" + SOCKET,
                        "--use-pixman", "--idle-time=0", "--no-config", "--debug"])
        wait_for("weston", lambda: os.path.exists(os.path.join(self.runtime, SOCKET)))
        # The program itself is a Wayland client only.
        self.client_env = dict(self.env)
        self.client_env.pop("DISPLAY", None)

    def press(self, key):
        """Types `key` into the window that weston gives the keyboard to. The pointer rests on
        weston's output window, which takes the X server's focus (there is no X window manager),
        away from any window of the scenario."""
        for argv in (["xdotool", "mousemove", "1000", "690"], ["xdotool", "key", key]):
            subprocess.run(argv, env=self.env, check=True, timeout=TIMEOUT)

    def start(self, argv, env=None, stderr=subprocess.DEVNULL):
        process = subprocess.Popen(argv, env=env or self.env, stdout=subprocess.DEVNULL,
                                   stderr=stderr)
        self.processes.append(process)
        return process

    def press_until(self, keys, done, what):
        """Types `keys` until `done()` holds. Keys typed while the compositor is still handing
        the keyboard to a window just mapped reach nobody: they are typed again, a second
        apart, until they take effect."""
        typed = [None]

        def attempt():
            if done():
                return True
            if typed[0] is None or time.monotonic() - typed[0] >= 1:
                for key in keys:
                    self.press(key)
                typed[0] = time.monotonic()
            return False
        wait_for(what, attempt)

    def mapped_windows(self, pid):
        """Titles of the top-level windows of process `pid` that weston shows now."""
        return [title for title, _ in self.mapped_sizes(pid)]

    def title_ink(self, pid, title):
        """Where the title of the window so titled is drawn within the room Qt's title bar gives
        it (35 pixels in from the left, to 77 pixels from the right): (first, last) column with
        ink, and the room's width. A title cut off at an end has ink in that end's column."""
        graph = subprocess.run(["weston-debug", "scene-graph"], env=self.env, capture_output=True,
                               text=True, timeout=TIMEOUT).stdout
        place = re.search(r"role xdg_toplevel, PID %d, .*?top-level window '%s'.*\n"
                          r"\s*position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\)"
                          % (pid, re.escape(title)), graph)
        x0, y0, x1, _ = map(int, place.groups())
        left, right = x0 + 35, x1 - 77
        shot = os.path.join(self.home, "screen.png")
        subprocess.run(["import", "-window", "root", shot], env=self.env, check=True,
                       timeout=TIMEOUT)
        pixels = subprocess.run(["convert", shot, "-crop", "%dx20+%d+%d" % (right - left, left,
                                                                            y0 + 5),
                                 "-colorspace", "gray", "-threshold", "50%", "txt:-"],
                                capture_output=True, text=True, check=True,
                                timeout=TIMEOUT).stdout
        ink = sorted({int(x) for x, level in re.findall(r"^(\d+),\d+: \((\d+)", pixels, re.M)
                      if int(level) == 0})
        return (ink[0], ink[-1], right - left) if ink else None

    def mapped_sizes(self, pid):
        """(title, (width, height)) of each top-level window of process `pid` that weston shows
        now, title bar included."""
        graph = subprocess.run(["weston-debug", "scene-graph"], env=self.env, capture_output=True,
                               text=True, timeout=TIMEOUT).stdout
        views = re.findall(r"role xdg_toplevel, PID %d, .*?top-level window '([^']*)'.*\n"
                           r"\s*position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\)" % pid,
                           graph)
        return [(title, (int(x1) - int(x0), int(y1) - int(y0)))
                for title, x0, y0, x1, y1 in views]

    def backend(self):
        """The test backend's controls (org.tallix.Test)."""
        return dbus.Interface(self.bus.get_object(BACKEND_NAME, "/control"), "org.tallix.Test")

    def close(self):
        stop_processes(self.processes)
        if self.x_server is not None:
            self.x_server.close()
        if getattr(self, "bus", None):
            self.bus.close()
        shutil.rmtree(self.home, ignore_errors=True)


class WaylandTallix:
    """One launch of the program on the Wayland desktop, its diagnostics in a log file."""

    def __init__(self, desktop, *arguments, env=None):
        self.desktop = desktop
        self.log_path = os.path.join(desktop.home, "tallix-%d.log" % len(desktop.processes))
        self.log_file = open(self.log_path, "w")
        env = dict(env or getattr(desktop, "client_env", desktop.env), QT_QPA_PLATFORM="wayland",
                   QT_LOGGING_RULES="tallix.*.debug=true")
        self.process = desktop.start([desk.TALLIX, *arguments], env=env, stderr=self.log_file)

    def log(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as file:
            return file.read()

    def wait_log(self, what, text, count=1):
        """Waits until `text` occurs `count` times in the log."""
        return wait_for(what, lambda: self.log().count(text) >= count)

    def wait_end(self):
        return self.process.wait(TIMEOUT)

    def shown(self):
        """True while weston shows the program's main window."""
        return "Tallix" in self.desktop.mapped_windows(self.process.pid)

    def window_size(self):
        """The main window's size on the screen, title bar included, or None while not shown."""
        sizes = [size for title, size in self.desktop.mapped_sizes(self.process.pid)
                 if title == "Tallix"]
        return sizes[0] if sizes else None


def run_scenarios(scenarios):
    """desktop.run_scenarios on Wayland desktops: (scenario, WaylandDesktop options) pairs."""
    return desk.run_scenarios(scenarios, WaylandDesktop)


def run_with_portal(command, backend=True):
    """Runs `command` (a test program) with a private bus, the portal and its backend, and
    without a compositor: QtDBus needs no display. Returns its exit status."""
    desktop = WaylandDesktop(backend=backend, compositor=False)
    try:
        return subprocess.run(command, env=dict(desktop.env, QT_QPA_PLATFORM="offscreen"),
                              timeout=TIMEOUT * 10).returncode
    finally:
        desktop.close()


if __name__ == "__main__":
    # wayland_desktop.py [--bind | --session] COMMAND [ARGUMENT ...]
    if sys.argv[1] in ("--bind", "--session"):
        sys.exit(run_with_portal(sys.argv[2:], backend=sys.argv[1][2:]))
    sys.exit(run_with_portal(sys.argv[1:]))
