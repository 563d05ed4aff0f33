#!/usr/bin/python3
"""Writes the fuzzer's seed inputs: the lines the language tests evaluate and a
sample of the everyday benchmark lines, each behind the two bytes that choose
the precision (15 digits, and some at 6, 50 and 2,000).

Usage: make_seeds.py OUTPUT_DIR
"""
import hashlib
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
LITERAL = re.compile(r'eval(?:_all)?\(\{?\s*"((?:[^"\\\n])*)"')


def precision_bytes(digits):
    code = digits - 6
    return bytes([code >> 8, code & 0xFF])


def test_lines():
    for source in sorted((ROOT / "tests/engine/language").glob("*.cpp")):
        yield from LITERAL.findall(source.read_text(encoding="utf-8"))


def everyday_lines(step=97):
    lines = (ROOT / "bench/everyday/lines.txt").read_text(encoding="utf-8").splitlines()
    return lines[::step]


def main():
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    lines = sorted(set(test_lines()) | set(everyday_lines()))
    seeds = []
    for i, line in enumerate(lines):
        digits = (15, 15, 15, 6, 50, 2000)[i % 6]
        seeds.append(precision_bytes(digits) + line.encode("utf-8"))
    for seed in seeds:
        name = hashlib.sha1(seed).hexdigest()
        (out / name).write_bytes(seed)
    print(f"{len(seeds)} seeds in {out}")


if __name__ == "__main__":
    main()
