#!/bin/sh
# `cpack -G DEB` makes a package that lintian accepts, that holds every piece in its FHS place
# with dependencies computed from the programs, and whose unpacked programs run.
# Usage: package_test.sh BUILD_DIR VERSION
set -eu
build=$1
version=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/tallix package.XXXXXX")
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/installed_tree.sh"

# A folder of its own, so that runs side by side never share CPack's staging tree.
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log"
    exit 1
}
deb="$work/out/tallix_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "FAIL: no $(basename "$deb")"; ls "$work/out"; exit 1; }

# Lintian notes on standard error that it runs as root, and works all the same.
lintian --no-cfg --fail-on error,warning "$deb" >"$work/lintian" 2>/dev/null ||
    fail "lintian: $(cat "$work/lintian")"

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6widgets6 libedit2; do
    echo "$depends" | grep -q "$library" || fail "Depends lacks $library: $depends"
done
# The menus and error lines are Japanese: a fresh desktop needs a face with those glyphs, and one
# that has any of these needs nothing more.
echo "$depends" | grep -Eq '(^|, )fonts-ipafont-gothic \| fonts-japanese-gothic \| fonts-noto-cjk \| fonts-droid-fallback(,|$)' ||
    fail "Depends names no Japanese font, IPA Gothic first: $depends"

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/contents"
for path in /usr/bin/tallix /usr/bin/tallix-cli /usr/share/tallix/index.htm \
    /usr/share/tallix/tallix-autostart.desktop /usr/share/applications/com.morvane.Tallix.desktop \
    /usr/share/metainfo/com.morvane.Tallix.metainfo.xml /usr/share/icons/hicolor/scalable/apps/tallix.svg \
    /usr/share/man/man1/tallix.1.gz /usr/share/man/man1/tallix-cli.1.gz \
    /usr/share/doc/tallix/copyright /usr/share/doc/tallix/changelog.gz \
    /usr/share/lintian/overrides/tallix; do
    grep -qx "$path" "$work/contents" || fail "$path is not in the package"
done
outside=$(grep -v '^/usr/' "$work/contents" | grep -vx '/' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"

dpkg-deb -x "$deb" "$work/root"
check_installed_tree "$work/root/usr" "$build/bin/index.htm" "$version"

[ "$failures" -eq 0 ] && echo "package sound"
exit "$failures"
