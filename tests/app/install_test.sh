#!/bin/sh
# `cmake --install` into a fresh prefix (with a blank in its path) puts every piece where a
# Linux desktop looks for it, and the pieces are sound.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -eu
build=$1
source=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/tallix install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for program in tallix tallix-cli; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not an installed program"
done

help="$prefix/share/tallix/index.htm"
cmp -s "$help" "$source/app/help/index.htm" || fail "share/tallix/index.htm is not the help page"

for entry in share/applications/tallix.desktop share/tallix/tallix-autostart.desktop; do
    if [ ! -f "$prefix/$entry" ]; then
        fail "$entry missing"
    elif ! report=$(desktop-file-validate "$prefix/$entry" 2>&1) || [ -n "$report" ]; then
        fail "$entry: $report"
    fi
done
grep -qx 'Categories=Utility;Calculator;' "$prefix/share/applications/tallix.desktop" ||
    fail "the menu entry is not in Utility;Calculator"
grep -qx 'Exec=tallix /s' "$prefix/share/tallix/tallix-autostart.desktop" ||
    fail "the autostart example does not start hidden"

# PNG: width and height are the big-endian words at bytes 16 and 20 of the file.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}
for size in 16 32; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/tallix.png"
    if [ ! -f "$icon" ]; then
        fail "${size}x${size} icon missing"
    elif [ "$(png_size "$icon")" != "${size}x${size}" ]; then
        fail "${size}x${size} icon is $(png_size "$icon")"
    fi
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/tallix.svg" 2>/dev/null ||
    fail "scalable icon missing"

page="$prefix/share/man/man1/tallix-cli.1"
if [ ! -f "$page" ]; then
    fail "manual page missing"
elif command -v groff >/dev/null; then
    warnings=$(groff -man -ww -z "$page" 2>&1)
    [ -z "$warnings" ] || fail "manual page: $warnings"
fi

version=$("$prefix/bin/tallix-cli" --version 2>&1) || true
[ "$version" = "Tallix 1.12" ] || fail "installed tallix-cli --version said: $version"

[ "$failures" -eq 0 ] && echo "installed tree complete"
exit "$failures"
