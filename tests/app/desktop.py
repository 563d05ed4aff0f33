"""The Xvfb desktop that the end-to-end tests drive the real program on.

Each scenario gets a fresh Xvfb (on a display number the server picks itself), a fresh home
folder and, where it needs them, a window manager that draws frames (openbox) and a tray host
(trayer). xdotool types and clicks, xclip reads the clipboard, xwininfo and xprop tell where
windows are. Everything a scenario starts is stopped when it ends.
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

TIMEOUT = 30  # generous: deadlines only fail a test that would otherwise hang
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


def stop_processes(processes):
    """Ends what a desktop started, the last started first; one that ignores SIGTERM is killed."""
    for process in reversed(processes):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


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
        # -noreset: by default the server resets when its last client leaves, and a program
        # that connects during the reset is refused (a launch right after another one's exit).
        server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
             "tcp", "-noreset"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
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

    def start_window_manager(self, attempts=3):
        # On a loaded machine openbox has now and then ended at start with status 1 and no
        # reason we could reproduce; it gets another try, and its own words if all fail.
        log_path = os.path.join(self.home, "openbox.log")
        for attempt in range(attempts):
            with open(log_path, "w") as log:
                manager = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                           stdout=subprocess.DEVNULL, stderr=log)
            self.processes.append(manager)
            managed = wait_for("the window manager", lambda: manager.poll() is not None or
                               "_NET_SUPPORTING_WM_CHECK(WINDOW)" in self.run(
                                   "xprop", "-root", "_NET_SUPPORTING_WM_CHECK").stdout)
            if managed and manager.poll() is None:
                return
        with open(log_path) as log:
            raise AssertionError("the window manager ended (%s): %s" % (manager.poll(),
                                                                        log.read()[-2000:]))

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

    # Keys reach the focused client in the order they are sent; what they cause is waited for
    # by the caller, as a condition (a window, a text, a file), never by a pause here.
    def key(self, *keys):
        self.run("xdotool", "key", "--delay", "40", *keys)

    def type(self, text):
        self.run("xdotool", "type", "--delay", "40", text)

    def clipboard(self):
        return self.run("xclip", "-o", "-selection", "clipboard").stdout

    def visible_windows(self, pid):
        """Every visible window of one process: frames, dialogs, menus."""
        return set(self.run("xdotool", "search", "--onlyvisible", "--pid", str(pid)).stdout.split())

    def close(self):
        stop_processes(self.processes)
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
        # xdotool matches names ignoring case, and its --pid does not narrow a name search: both
        # are checked here. The tray icon's window, which the tray embeds past the window
        # manager, bears the program's name too.
        found = []
        for window in self.run("xdotool", "search", "--onlyvisible", "--name",
                               "^Tallix$").stdout.split():
            if self.run("xdotool", "getwindowname", window).stdout.strip() != "Tallix":
                continue
            if "Override Redirect State: yes" in self.info(window):
                continue
            if pid is None or self.pid_of(window) == pid:
                found.append(window)
        return found

    def tray_icon_centre(self, pid=None):
        """Where the program's icon (of one process, if a pid given) sits in the tray, or None."""
        for line in self.run("xwininfo", "-root", "-tree").stdout.splitlines():
            found = re.search(r'(0x[0-9a-f]+) "[Tt]allix": \("tallix" "[Tt]allix"\)\s+(\d+)x(\d+)'
                              r'\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)', line)
            if not found:
                continue
            width, height, x, y = map(int, found.groups()[1:])
            if width <= 48 and height <= 48 and (pid is None or self.pid_of(found.group(1)) == pid):
                return x + width // 2, y + height // 2
        return None

    def pid_of(self, window):
        owner = re.search(r"= (\d+)", self.run("xprop", "-id", window, "_NET_WM_PID").stdout)
        return int(owner.group(1)) if owner else None


class Tallix:
    """One launch of the program on a desktop."""

    def __init__(self, desktop, *arguments, env=None, expect_window=True, launcher=()):
        """`launcher` goes before the program, e.g. a command that limits its resources."""
        self.desktop = desktop
        self.process = desktop.start([*launcher, TALLIX, *arguments], env=env)
        self.window = None
        if expect_window:
            self.window = wait_for("the window", lambda: self.main_window())

    def main_window(self):
        windows = self.desktop.windows_titled_tallix(self.process.pid)
        return windows[0] if windows else None

    def focus(self):
        # Both wait until the X server has done it; keys sent after it reach the window.
        self.desktop.run("xdotool", "windowactivate", "--sync", self.window)
        self.desktop.run("xdotool", "windowfocus", "--sync", self.window)

    def console_text(self):
        """The console's whole text, copied to the clipboard and read back from there."""
        self.desktop.key("ctrl+a", "ctrl+c", "ctrl+End")  # ctrl+End drops the selection again
        return self.desktop.clipboard()

    def wait_console(self, what, predicate):
        """Waits until the console's text satisfies `predicate` and returns the text.

        While a line runs the program takes no keys, so the copy is asked for again on every
        poll: the first copy after the line has ended tells.
        """
        return wait_for(what, lambda: (lambda text: text if predicate(text) else None)(
            self.console_text()))

    def messages(self):
        """The program's windows titled "Tallix" other than the main one: its message boxes."""
        return [w for w in self.desktop.windows_titled_tallix(self.process.pid)
                if w != self.window]

    def dismiss_message(self):
        message = wait_for("the message", self.messages)
        self.desktop.run("xdotool", "windowfocus", "--sync", message[0])
        self.desktop.key("Return")
        wait_for("the message to go", lambda: not self.desktop.is_viewable(message[0]))

    def open_options(self):
        self.focus()
        self.desktop.key("alt+s", "o")
        return self.options_dialog()

    def options_dialog(self):
        """Waits for the Options dialog and gives it the keyboard; returns its window."""
        found = wait_for("the Options dialog", lambda: self.desktop.run(
            "xdotool", "search", "--onlyvisible", "--name", "^オプション$").stdout.split())
        self.desktop.run("xdotool", "windowfocus", "--sync", found[0])
        return found[0]

    def open_tray_menu(self):
        """Right-clicks the tray icon and waits for its menu; returns the menu's windows."""
        icon = wait_for("the tray icon", lambda: self.desktop.tray_icon_centre(self.process.pid))
        before = self.desktop.visible_windows(self.process.pid)
        self.desktop.run("xdotool", "mousemove", str(icon[0]), str(icon[1]), "click", "3")
        return wait_for("the tray menu",
                        lambda: self.desktop.visible_windows(self.process.pid) - before)

    def round_trip(self):
        """Opens the tray menu and closes it again.

        The program handles its events in order, so once the menu is up it has handled every
        key and click sent before it: a check that something did NOT happen needs no pause.
        """
        menu = self.open_tray_menu()
        self.desktop.key("Escape")
        wait_for("the tray menu to close",
                 lambda: not self.desktop.visible_windows(self.process.pid) & menu)

    def cpu_seconds(self):
        """CPU time the process has used so far: it grows fast only while a line computes."""
        with open("/proc/%d/stat" % self.process.pid, encoding="ascii") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def enter(self, line):
        """Types the line and Enter at the end of the console, waits until it has been evaluated
        and returns the console's text. A copy of an empty console copies nothing, so the
        console must hold text already or the clipboard be empty."""
        before = self.console_text()
        self.desktop.type(line)
        self.desktop.key("Return")
        return self.wait_console("«%s» to be evaluated" % line,
                                 lambda text: text.startswith(before + line + "\n"))

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


def run_scenarios(scenarios, make_desktop=None):
    """Runs (scenario, desktop options) pairs named on the command line, or all of them, each
    on a fresh desktop of `make_desktop` (Desktop by default) with those options.

    Usage: SCRIPT PATH/TO/tallix [SCENARIO ...]; the exit status is 1 if any scenario failed.
    """
    global TALLIX
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    TALLIX = os.path.abspath(sys.argv[1])
    wanted = sys.argv[2:]
    failures = 0
    for scenario, options in scenarios:
        if wanted and scenario.__name__ not in wanted:
            continue
        started = time.monotonic()
        desktop = None
        try:
            desktop = (make_desktop or Desktop)(**options)
            scenario(desktop)
            print("PASS %s (%.1f s)" % (scenario.__name__, time.monotonic() - started))
        except Exception:
            failures += 1
            print("FAIL %s" % scenario.__name__)
            traceback.print_exc()
        finally:
            if desktop is not None:
                desktop.close()
    return 1 if failures else 0
