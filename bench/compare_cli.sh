#!/usr/bin/env bash
# Whole-process comparison: the same 10,000 everyday lines evaluated at 15
# digits by tallix-cli and, translated, by bc -l, calc and gp, timed side by
# side with hyperfine. Prints each program's time and its ratio to tallix-cli.
#
#   bench/compare_cli.sh [path/to/tallix-cli] [hyperfine options...]
#
# Needs hyperfine, bc, apcalc (calc) and pari-gp (gp), and python3.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
cli=${1:-$root/build/bin/tallix-cli}
shift || true
lines=$here/everyday/lines.txt

for tool in hyperfine bc calc gp python3; do
    command -v "$tool" >/dev/null || { echo "compare_cli: '$tool' is not installed" >&2; exit 2; }
done
[ -x "$cli" ] || { echo "compare_cli: no tallix-cli at $cli (build it first)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for tool in bc calc gp; do
    python3 "$here/everyday/translate.py" "$tool" <"$lines" >"$work/lines.$tool"
done

# Every program must print one line per expression before its time means anything.
expected=$(grep -cv '^[[:space:]]*[A-Za-z][A-Za-z0-9_]*[[:space:]]*=' "$lines")
count() { local n; n=$("$@" | grep -c .); echo "$n"; }
check() {
    local name=$1 got=$2
    if [ "$got" -ne "$expected" ]; then
        echo "compare_cli: $name printed $got results, expected $expected" >&2
        exit 1
    fi
}
check tallix-cli "$(count "$cli" -p 15 "$lines")"
check bc "$(count bc -lq "$work/lines.bc")"
check calc "$(count calc -q -p <"$work/lines.calc")"
check gp "$(( $(count gp -q -D colors= <"$work/lines.gp") - 1 ))"  # minus the \p echo

hyperfine --warmup 3 --min-runs 30 --export-json "$work/times.json" "$@" \
    -n tallix-cli "'$cli' -p 15 '$lines' >/dev/null" \
    -n 'bc -l' "bc -lq '$work/lines.bc' >/dev/null" \
    -n calc "calc -q -p <'$work/lines.calc' >/dev/null" \
    -n gp "gp -q -D colors= <'$work/lines.gp' >/dev/null"

python3 - "$work/times.json" <<'PY'
import json, statistics, sys
results = json.load(open(sys.argv[1]))["results"]
for r in results:
    r["median"] = statistics.median(r["times"])
    r["cpu"] = r["user"] + r["system"]
base = next(r for r in results if r["command"] == "tallix-cli")
print(f"\n{'program':<12}{'median ms':>10}{'x tallix':>10}{'cpu ms':>10}{'x tallix':>10}")
for r in results:
    print(f"{r['command']:<12}{r['median'] * 1000:>10.1f}{r['median'] / base['median']:>10.2f}"
          f"{r['cpu'] * 1000:>10.1f}{r['cpu'] / base['cpu']:>10.2f}")
slower = [r["command"] for r in results
          if r is not base and (r["median"] <= base["median"] or r["cpu"] <= base["cpu"])]
if slower:
    print(f"\ntallix-cli is not faster than: {', '.join(slower)}")
    sys.exit(1)
PY
