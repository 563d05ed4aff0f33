#!/usr/bin/env bash
# Side-by-side whole-process timing of tallix-cli and the calculators a user
# might pick instead (bc -l, calc, gp, qalc): pi, sqrt 2, e, ln 3, sin 1,
# arctan 0.5, 2^0.5, 1/7, a product, and the 10,000 everyday lines, each at 15
# and 2,000 digits. Every answer is checked against mpmath before it is timed
# with hyperfine; the table gives each program's milliseconds and its ratio to
# tallix-cli, and a start-up row (empty input) to subtract.
#
#   bench/compare_peers.sh [path/to/tallix-cli] [--digits 15,2000] [--timeout SECONDS]
#
# Installs whatever of the compared programs is missing. Takes a quarter of an
# hour or so, most of it in the 2,000-digit everyday lines.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
cli=$root/build/bin/tallix-cli
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
    cli=$1
    shift
fi

# shellcheck source=../scripts/deps.sh
source "$root/scripts/deps.sh"
install_missing hyperfine bc calc pari-gp qalc python3 python3-mpmath

[ -x "$cli" ] || { echo "compare_peers: no tallix-cli at $cli (build it first)" >&2; exit 2; }
exec /usr/bin/python3 "$here/peers/compare.py" "$cli" "$@"
