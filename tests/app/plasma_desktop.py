"""A real Plasma 5.27 session without a screen, for end-to-end tests of the call-up key: KWin on
its virtual back-end (which also hosts the global-shortcut service kglobalaccel), the desktop's
portal backend xdg-desktop-portal-kde and the real xdg-desktop-portal frontend, on a private
session bus.

The installed kwin_wayland carries a file capability that a container refuses to execute; a
copy carries none. What kglobalaccel holds is read and driven over D-Bus: which components
exist, which shortcut a key calls, pressing a shortcut (invokeShortcut) and changing its key as
the desktop's settings would (setForeignShortcut). Which windows KWin shows comes from a KWin
script that prints them to KWin's output.
"""
import json
import os
import shutil
import subprocess
import sys

import dbus

from desktop import TIMEOUT, check, wait_for
from wayland_desktop import PORTAL_FRONTEND, PORTAL_NAME, WaylandDesktop

KWIN = "/usr/bin/kwin_wayland"
KDE_BACKEND = "/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde"
KDE_BACKEND_NAME = "org.freedesktop.impl.portal.desktop.kde"
GLOBAL_ACCEL = "org.kde.kglobalaccel"
KWIN_NAME = "org.kde.KWin"
SOCKET = "tallix-plasma"

# Qt key codes as kglobalaccel keeps them.
QT_SHIFT, QT_CTRL, QT_ALT, QT_META = 0x02000000, 0x04000000, 0x08000000, 0x10000000


def qt_key(*modifiers_and_letter):
    """The Qt key code of e.g. qt_key(QT_CTRL, QT_ALT, "A")."""
    *modifiers, letter = modifiers_and_letter
    return sum(modifiers) | ord(letter.upper())


def missing_parts():
    """What of the Plasma stack this machine lacks (scripts/deps.sh installs it)."""
    return [path for path in (KWIN, KDE_BACKEND, PORTAL_FRONTEND) if not os.path.exists(path)]


class PlasmaDesktop(WaylandDesktop):
    """KWin, kglobalaccel, the desktop's portal backend and the portal frontend."""

    def __init__(self):
        missing = missing_parts()
        check(not missing, "the Plasma stack is not installed: %s" % ", ".join(missing))
        self.script_count = 0
        super().__init__(portal=False, backend=False, compositor=False)
        try:
            self.env["XDG_CURRENT_DESKTOP"] = "KDE"
            self.start_kwin()
            self.start_kde_portal()
        except BaseException:
            self.close()
            raise

    def start_kwin(self):
        kwin = os.path.join(self.home, "kwin_wayland")
        shutil.copyfile(KWIN, kwin)
        os.chmod(kwin, 0o755)
        self.kwin_log = os.path.join(self.home, "kwin.log")
        with open(self.kwin_log, "w") as log:
            process = self.start([kwin, "--virtual", "--socket=" + SOCKET, "--no-lockscreen",
                                  "--width=1024", "--height=768"],
                                 env=dict(self.env, QT_LOGGING_RULES="kwin_scripting.debug=true"),
                                 stderr=log)
        self.env["WAYLAND_DISPLAY"] = SOCKET

        def up():
            check(process.poll() is None, "kwin_wayland ended at start:\n" + self.kwin_output())
            return (self.bus.name_has_owner(GLOBAL_ACCEL) and self.bus.name_has_owner(KWIN_NAME)
                    and os.path.exists(os.path.join(self.runtime, SOCKET)))

        wait_for("kwin_wayland and kglobalaccel", up, timeout=TIMEOUT * 2)

    def start_kde_portal(self):
        # The backend is a Qt 5 program; its prompts are not wanted, and Debian's Qt 5 comes
        # without a Wayland plugin unless qtwayland5 is installed.
        self.start([KDE_BACKEND], env=dict(self.env, QT_QPA_PLATFORM="offscreen"))
        wait_for("xdg-desktop-portal-kde", lambda: self.bus.name_has_owner(KDE_BACKEND_NAME))
        self.start([PORTAL_FRONTEND], env=self.env)
        wait_for("the portal frontend", lambda: self.bus.name_has_owner(PORTAL_NAME))

    def kwin_output(self):
        with open(self.kwin_log, encoding="utf-8", errors="replace") as file:
            return file.read()

    # kglobalaccel

    def global_accel(self):
        return dbus.Interface(self.bus.get_object(GLOBAL_ACCEL, "/kglobalaccel"),
                              "org.kde.KGlobalAccel")

    def components(self):
        """Unique names of the components kglobalaccel holds shortcuts for."""
        names = []
        for path in self.global_accel().allComponents():
            component = self.component(path)
            names.append(str(component.Get("org.kde.kglobalaccel.Component", "uniqueName",
                                           dbus_interface=dbus.PROPERTIES_IFACE)))
        return names

    def component(self, path):
        return self.bus.get_object(GLOBAL_ACCEL, path)

    def components_of(self, text):
        return [name for name in self.components() if text in name]

    def shortcuts_of_key(self, key):
        """(component, action) pairs that the Qt key code `key` calls."""
        found = self.global_accel().getGlobalShortcutsByKey(dbus.Int32(key), signature="i")
        return [(str(entry[2]), str(entry[0])) for entry in found]

    def keys_of(self, component, action):
        """The Qt key codes of one action."""
        return [int(key) for key in self.global_accel().shortcut(
            dbus.Array([component, action, "", ""], signature="s"))]

    def set_key(self, component, action, key):
        """Changes the action's key as the desktop's shortcut settings do."""
        self.global_accel().setForeignShortcut(
            dbus.Array([component, action, "", ""], signature="s"),
            dbus.Array([dbus.Int32(key)], signature="i"))

    def press(self, component, action):
        """Presses the action's key: kglobalaccel calls the shortcut as if its key were typed."""
        path = self.global_accel().getComponent(component)
        dbus.Interface(self.component(path), "org.kde.kglobalaccel.Component").invokeShortcut(
            action, signature="s")

    # KWin

    def window_captions(self):
        """Captions of the windows KWin shows now (not minimised, not hidden)."""
        self.script_count += 1
        mark = "tallix-windows-%d:" % self.script_count
        script = os.path.join(self.home, "windows-%d.js" % self.script_count)
        with open(script, "w") as file:
            file.write("var shown = [];\n"
                       "workspace.clientList().forEach(function (c) {\n"
                       "    if (!c.minimized && !c.hidden) shown.push(c.caption);\n"
                       "});\n"
                       "print('%s' + JSON.stringify(shown));\n" % mark)
        scripting = dbus.Interface(self.bus.get_object(KWIN_NAME, "/Scripting"),
                                   "org.kde.kwin.Scripting")
        plugin = "tallix-%d" % self.script_count
        scripting.loadScript(script, plugin, signature="ss")
        scripting.start()
        line = wait_for("KWin's script output", lambda: self.script_line(mark))
        scripting.unloadScript(plugin)
        return json.loads(line[line.index(mark) + len(mark):])

    def script_line(self, mark):
        for line in self.kwin_output().splitlines():
            if mark in line:
                return line
        return None


def run_with_plasma(command):
    """Runs `command` (a test program) on the desktop's bus, on the offscreen platform: the
    program talks to the desktop over D-Bus only. Returns its exit status."""
    desktop = PlasmaDesktop()
    try:
        return subprocess.run(command, env=dict(desktop.env, QT_QPA_PLATFORM="offscreen"),
                              timeout=TIMEOUT * 5).returncode
    finally:
        desktop.close()


if __name__ == "__main__":
    # plasma_desktop.py COMMAND [ARGUMENT ...]
    sys.exit(run_with_plasma(sys.argv[1:]))
