"""The real GNOME Shell of the distribution as a Wayland desktop for end-to-end tests: headless,
on a virtual monitor, with a private system bus and session bus and a fresh home folder.

GNOME answers org.gnome.Shell.Eval only in its unsafe mode; a small extension of the test's own
switches that on, and through Eval the tests read the windows' state (minimised, focused,
size) and type keys with a Clutter virtual keyboard, as a user would.
"""
import json
import os

import dbus

from desktop import TIMEOUT, check, wait_for
from wayland_desktop import WaylandDesktop

SOCKET = "tallix-gnome"
EXTENSION = "tallix-test@tallix.test"

EXTENSION_SCRIPT = """function init() {
    return {
        enable() { global.context.unsafe_mode = true; },
        disable() { global.context.unsafe_mode = false; },
    };
}
"""

# The windows of one process: what the shell knows of each.
WINDOWS = """global.get_window_actors().map(a => a.meta_window)
    .filter(w => w.get_pid() === %d)
    .map(w => ({title: w.get_title(), minimized: w.minimized, focused: w.has_focus(),
                showing: w.showing_on_its_workspace(), width: w.get_frame_rect().width,
                height: w.get_frame_rect().height}))"""

# A key pressed and released on a virtual keyboard of the shell's seat.
PRESS = """(() => {
    const Clutter = imports.gi.Clutter;
    const GLib = imports.gi.GLib;
    if (!global.tallixKeyboard)
        global.tallixKeyboard = Clutter.get_default_backend().get_default_seat()
            .create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
    const time = GLib.get_monotonic_time();
    global.tallixKeyboard.notify_keyval(time, Clutter.KEY_%s, Clutter.KeyState.PRESSED);
    global.tallixKeyboard.notify_keyval(time + 1000, Clutter.KEY_%s, Clutter.KeyState.RELEASED);
    return true;
})()"""


class GnomeDesktop(WaylandDesktop):
    """A session of GNOME Shell without a screen: no portal with global shortcuts (GNOME 43 has
    none), no tray (GNOME shows none without an extension)."""

    def __init__(self, told=True):
        super().__init__(portal=False, backend=False, compositor=False, told=told)
        try:
            self.start_system_bus()
            self.start_shell()
        except BaseException:
            self.close()
            raise

    def start_system_bus(self):
        self.start_private_bus("system", "system-bus", "DBUS_SYSTEM_BUS_ADDRESS")

    def start_shell(self):
        data = os.path.join(self.home, ".local", "share")
        folder = os.path.join(data, "gnome-shell", "extensions", EXTENSION)
        os.makedirs(folder)
        with open(os.path.join(folder, "metadata.json"), "w") as file:
            json.dump({"uuid": EXTENSION, "name": "Tallix test", "description": "Eval for tests",
                       "shell-version": ["43"]}, file)
        with open(os.path.join(folder, "extension.js"), "w") as file:
            file.write(EXTENSION_SCRIPT)
        self.env.update(XDG_CURRENT_DESKTOP="GNOME", XDG_SESSION_TYPE="wayland",
                        XDG_DATA_HOME=data, GSETTINGS_BACKEND="memory")
        self.shell_log = os.path.join(self.home, "gnome-shell.log")
        with open(self.shell_log, "w") as log:
            self.start(["gnome-shell", "--headless", "--wayland", "--no-x11", "--virtual-monitor",
                        "1024x768", "--wayland-display", SOCKET], stderr=log)
        wait_for("GNOME Shell's extensions", lambda: EXTENSION in (self.shell_call(
            "org.gnome.Shell.Extensions", "ListExtensions") or {}), timeout=TIMEOUT * 2)
        check(self.shell_call("org.gnome.Shell.Extensions", "EnableExtension", EXTENSION),
              "the test extension could not be enabled")
        wait_for("Eval", lambda: self.eval("true") is True)
        # The session starts in the overview, which would take the keys.
        wait_for("the overview to close", lambda: self.eval(
            "imports.ui.main.overview.hide(), imports.ui.main.overview.visible") is False)
        # The virtual keyboard loses the first key it is given while the seat takes it in:
        # that one is a harmless Shift, with no window there yet.
        self.press("Shift_L")
        self.env["WAYLAND_DISPLAY"] = SOCKET
        self.client_env = dict(self.env)

    def shell_call(self, interface, method, *arguments):
        """The answer of the shell's `method`, or None while the shell cannot answer."""
        try:
            shell = self.bus.get_object("org.gnome.Shell", "/org/gnome/Shell")
            return getattr(shell, method)(*arguments, dbus_interface=interface, timeout=TIMEOUT)
        except dbus.DBusException:
            return None

    def eval(self, script):
        """The value of `script` in the shell, or None where it failed."""
        reply = self.shell_call("org.gnome.Shell", "Eval", script)
        if not reply or not reply[0]:
            return None
        return json.loads(str(reply[1])) if str(reply[1]) else None

    def windows(self, pid):
        """The windows of process `pid`, as GNOME Shell knows them."""
        return self.eval(WINDOWS % pid) or []

    def focus(self, pid, title):
        """Gives the keyboard to the window of process `pid` so titled, as a click would."""
        self.eval("global.get_window_actors().map(a => a.meta_window).filter(w => w.get_pid() "
                  "=== %d && w.get_title() === %s).forEach(w => w.activate("
                  "global.get_current_time())), true" % (pid, json.dumps(title)))

    def press(self, key):
        """Types `key` (a Clutter key name: Escape, Return) into the focused window."""
        check(self.eval(PRESS % (key, key)) is True, "the key could not be typed")
