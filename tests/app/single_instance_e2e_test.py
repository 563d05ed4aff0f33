#!/usr/bin/env python3
"""The single-instance rule in the real program under Xvfb: a lock file left empty or damaged
does not keep the program from starting, of two launches started together one runs and the
other hands over to it, and a flood of connections to a program short of descriptors leaves it
listening.
"""
import os
import select
import socket
import struct
import subprocess
import sys

import desktop as harness
from desktop import Tallix, check, run_scenarios, wait_for

FLOOD = 300


def lock_path(desktop):
    return os.path.join(desktop.env["XDG_RUNTIME_DIR"], "Tallix.lock")


def damaged_locks_do_not_lock_out(desktop):
    for content in (b"", b"\x00\xffgarbage\n"):
        with open(lock_path(desktop), "wb") as file:
            file.write(content)
        app = Tallix(desktop)
        check(app.exit_from_menu() == 0, "the program did not end cleanly")


def launches_started_together(desktop):
    first = Tallix(desktop, expect_window=False).process
    second = Tallix(desktop, expect_window=False).process
    ended = wait_for("one of the two to hand over",
                     lambda: [p for p in (first, second) if p.poll() is not None])
    check(len(ended) == 1 and ended[0].returncode == 0,
          "expected one launch to hand over with status 0: %s" % [p.returncode for p in ended])
    running = first if ended[0] is second else second
    wait_for("one window", lambda: desktop.windows_titled_tallix(running.pid))
    check(len(desktop.windows_titled_tallix()) == 1, "more than one window")


def open_connection(path):
    connection = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        connection.connect(path)
    except OSError as error:
        raise AssertionError("the program stopped listening during the flood: %s" % error)
    connection.setblocking(False)
    return connection


def closed_by_peer(connection):
    try:
        return connection.recv(1) == b""
    except BlockingIOError:
        return False
    except ConnectionError:
        return True


def flood_of_connections_under_few_descriptors(desktop):
    """Idle, garbage-sending and reset connections, far more than the program has descriptors
    for: it drops what it cannot hold, keeps its socket and still answers a later launch."""
    socket_path = os.path.join(desktop.env["XDG_RUNTIME_DIR"], "Tallix.socket")
    errors_path = os.path.join(desktop.home, "stderr.txt")
    with open(errors_path, "wb") as errors:
        first = subprocess.Popen(["prlimit", "--nofile=40:40", harness.TALLIX, "/s"],
                                 env=desktop.env, stdout=subprocess.DEVNULL, stderr=errors)
    desktop.processes.append(first)
    wait_for("the program to listen", lambda: os.path.exists(socket_path))
    connections = []
    for i in range(FLOOD):
        connection = open_connection(socket_path)
        if i % 3 == 1:
            try:
                connection.send(b"garbage" * 100)
            except OSError:
                pass  # dropped already to make room
        elif i % 3 == 2:  # a reset instead of an orderly end
            connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            connection.close()
            continue
        connections.append(connection)
    # Every connection still open has been taken and let go: dropped for room or timed out.
    wait_for("the program to let go of the flood",
             lambda: all(closed_by_peer(c) for c in connections if select.select([c], [], [], 0)[0])
             and all(select.select([c], [], [], 0)[0] for c in connections))
    for connection in connections:
        connection.close()
    check(first.poll() is None, "the program ended during the flood")
    check(os.path.exists(socket_path), "the socket is gone after the flood")

    later = Tallix(desktop, expect_window=False)
    check(later.wait_end() == 0, "the later launch did not hand over")
    wait_for("the hidden window to be called up", lambda: desktop.windows_titled_tallix(first.pid))
    first.terminate()
    first.wait(harness.TIMEOUT)
    with open(errors_path, "rb") as errors:
        logged = errors.read()
    check(b"device not open" not in logged, "stderr flooded: %r" % logged[:300])


def no_private_folder_is_told(desktop):
    """A runtime folder anyone may write to and no cache folder: the launch says it runs
    without the guard, once, and runs."""
    os.chmod(desktop.env["XDG_RUNTIME_DIR"], 0o777)
    with open(os.path.join(desktop.home, ".cache"), "wb"):
        pass  # a file where the cache folder should be
    app = Tallix(desktop, expect_window=False)
    message = wait_for("the message", app.main_window)
    check("_NET_WM_WINDOW_TYPE_DIALOG" in desktop.run("xprop", "-id", message,
                                                      "_NET_WM_WINDOW_TYPE").stdout,
          "the first window is not a message box")
    desktop.run("xdotool", "windowfocus", "--sync", message)
    desktop.key("Return")
    app.window = wait_for("the main window", lambda: [
        w for w in desktop.windows_titled_tallix(app.process.pid)
        if w != message and desktop.is_viewable(w)])[0]
    check(app.messages() == [] or not any(desktop.is_viewable(w) for w in app.messages()),
          "the message came again")
    check(app.exit_from_menu() == 0, "the program did not end cleanly")


SCENARIOS = [
    (damaged_locks_do_not_lock_out, dict()),
    (launches_started_together, dict()),
    (flood_of_connections_under_few_descriptors, dict()),
    (no_private_folder_is_told, dict()),
]


if __name__ == "__main__":
    sys.exit(run_scenarios(SCENARIOS))
