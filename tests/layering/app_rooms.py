#!/usr/bin/env python3
"""The desktop program's rooms include one another one way only: each room names the rooms it
may use, and an include of any other room (or of the program's top level) fails the test."""
import os
import re
import sys

# The top level (app/*.h) may use every room; a room only the ones listed.
MAY_USE = {
    "settings": set(),
    "console": {"settings"},
    "hotkey": {"settings"},
    "desktop": {"settings"},
    "dialogs": {"settings", "desktop"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"app/([^"]+)"', re.M)


def room_of(path):
    """The room of a path under app/, or None for the program's top level."""
    parts = path.split("/")
    return parts[0] if len(parts) > 1 else None


def violations(app_dir):
    found = []
    for folder, _, files in os.walk(app_dir):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            source = os.path.relpath(os.path.join(folder, name), app_dir)
            room = room_of(source)
            if room is None:
                continue
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                text = f.read()
            for target in INCLUDE.findall(text):
                used = room_of(target)
                if used == room or used in MAY_USE.get(room, set()):
                    continue
                found.append(f"app/{source} includes app/{target}")
    return found


def main():
    app_dir = sys.argv[1]
    unknown = sorted(
        d for d in os.listdir(app_dir)
        if os.path.isdir(os.path.join(app_dir, d)) and d not in MAY_USE and d not in ("help", "icons"))
    bad = violations(app_dir) + [f"app/{d}/ is a room this test does not know" for d in unknown]
    for line in bad:
        print(line)
    print(f"{0 if bad else 1} passed, {1 if bad else 0} failed")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
