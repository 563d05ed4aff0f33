"""A Wayland desktop for end-to-end tests: weston without a screen, a private session bus, the
real xdg-desktop-portal frontend with a test backend for global shortcuts, and, where asked, a
StatusNotifierWatcher as a panel's tray provides.

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

import dbus

import desktop as desk
from desktop import TIMEOUT, check, stop_processes, wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
PORTAL_FRONTEND = "/usr/libexec/xdg-desktop-portal"
BACKEND_NAME = "org.freedesktop.impl.portal.desktop.tallixtest"
PORTAL_NAME = "org.freedesktop.portal.Desktop"
WATCHER_NAME = "org.kde.StatusNotifierWatcher"

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
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
    ("silent"); watcher: a StatusNotifierWatcher; compositor: weston."""

    def __init__(self, portal=True, backend=True, watcher=False, compositor=True):
        self.home = tempfile.mkdtemp(prefix="tallix-wayland-e2e-")
        self.processes = []
        self.runtime = os.path.join(self.home, "runtime")
        os.makedirs(self.runtime, 0o700)
        self.env = dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_RUNTIME_DIR=self.runtime, LANG="C.UTF-8")
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "SESSION_MANAGER",
                     "XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"):
            self.env.pop(name, None)
        try:
            self.start_bus()
            if backend:
                mode = "bind" if backend is True else backend
                self.start_service([sys.executable, os.path.join(HERE, "portal_backend.py"),
                                    "--" + mode], BACKEND_NAME)
            if watcher:
                self.start_service([sys.executable, os.path.join(HERE, "status_notifier_watcher.py")],
                                   WATCHER_NAME)
            if portal:
                self.start_portal(backend)
            if compositor:
                self.start_compositor()
        except BaseException:
            self.close()
            raise

    def start_bus(self):
        config = os.path.join(self.home, "bus.conf")
        socket = os.path.join(self.runtime, "bus")
        with open(config, "w") as file:
            file.write(BUS_CONFIG % socket)
        self.start(["dbus-daemon", "--nofork", "--config-file=" + config])
        self.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + socket
        wait_for("the session bus", lambda: os.path.exists(socket))
        self.bus = wait_for("a connection to the bus", self.connect_bus)

    def connect_bus(self):
        try:
            return dbus.bus.BusConnection(self.env["DBUS_SESSION_BUS_ADDRESS"])
        except dbus.DBusException:
            return None

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

    def start_compositor(self):
        self.env["WAYLAND_DISPLAY"] = "tallix-wayland"
        # --debug lets weston-debug show the scene graph: which windows are mapped.
        self.start(["weston", "--backend=headless-backend.so", "--socket=tallix-wayland",
                    "--use-pixman", "--idle-time=0", "--no-config", "--debug"])
        wait_for("weston", lambda: os.path.exists(os.path.join(self.runtime, "tallix-wayland")))

    def start(self, argv, env=None, stderr=subprocess.DEVNULL):
        process = subprocess.Popen(argv, env=env or self.env, stdout=subprocess.DEVNULL,
                                   stderr=stderr)
        self.processes.append(process)
        return process

    def mapped_windows(self, pid):
        """Titles of the top-level windows of process `pid` that weston shows now."""
        graph = subprocess.run(["weston-debug", "scene-graph"], env=self.env, capture_output=True,
                               text=True, timeout=TIMEOUT).stdout
        return re.findall(r"role xdg_toplevel, PID %d, .*?top-level window '([^']*)'" % pid, graph)

    def backend(self):
        """The test backend's controls (org.tallix.Test)."""
        return dbus.Interface(self.bus.get_object(BACKEND_NAME, "/control"), "org.tallix.Test")

    def close(self):
        stop_processes(self.processes)
        if getattr(self, "bus", None):
            self.bus.close()
        shutil.rmtree(self.home, ignore_errors=True)


class WaylandTallix:
    """One launch of the program on the Wayland desktop, its diagnostics in a log file."""

    def __init__(self, desktop, *arguments, env=None):
        self.desktop = desktop
        self.log_path = os.path.join(desktop.home, "tallix-%d.log" % len(desktop.processes))
        self.log_file = open(self.log_path, "w")
        env = dict(env or desktop.env, QT_QPA_PLATFORM="wayland",
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
