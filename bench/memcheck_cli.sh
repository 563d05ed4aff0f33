#!/usr/bin/env bash
# Runs tallix-cli under valgrind's memcheck over the everyday lines and over
# lines that fail in every way, and fails on any memory error or leak.
#
#   bench/memcheck_cli.sh [path/to/tallix-cli]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../build/bin/tallix-cli}
command -v valgrind >/dev/null || { echo "memcheck_cli: valgrind is not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - >"$work/failing.txt" <<'PY'
print("1/0\n1 2\nsin x\npi()\nnever_set\nsqr = 1\nv = 1/0\nx = 5 あ\neps(0)")
print("(" * 3900 + "1/0" + ")" * 10)   # an error with the parser's stack on the heap
print("1^" * 3400 + "1")               # a stack that would outgrow its limit
print("x" * 9000)                      # longer than a line may be
PY
for input in "$here/everyday/lines.txt" "$work/failing.txt"; do
    echo "memcheck: $(basename "$input")"
    valgrind --quiet --tool=memcheck --leak-check=full --show-leak-kinds=all \
        --errors-for-leak-kinds=all --error-exitcode=99 "$cli" -p 15 "$input" >/dev/null 2>"$work/log" ||
        { status=$?; if [ "$status" -eq 99 ]; then cat "$work/log" >&2; exit 1; fi; }
    grep -q '==[0-9]*==' "$work/log" && { cat "$work/log" >&2; exit 1; }
done
echo "memcheck: clean"
