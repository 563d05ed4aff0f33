#!/bin/sh
# `cmake --install` into a fresh prefix (with a blank in its path) puts every piece where a
# Linux desktop looks for it, and the pieces are sound.
# Usage: install_test.sh BUILD_DIR VERSION
set -eu
build=$1
version=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/tallix install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
. "$(dirname "$0")/installed_tree.sh"
check_installed_tree "$prefix" "$build/bin/index.htm" "$version"
[ ! -e "$prefix/share/lintian" ] || fail "a plain install carries the package's lintian notes"

[ "$failures" -eq 0 ] && echo "installed tree complete"
exit "$failures"
