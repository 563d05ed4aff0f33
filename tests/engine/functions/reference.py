#!/usr/bin/python3
"""True values of the built-in functions, for the agreement tests.

Reads lines "<digits> <shown> <function> <argument>..." on stdin, where
<shown> is the calculator's displayed result at <digits> significant digits.
Writes one line per input: how far <shown> lies from the true value, in units
of the last displayed digit (a float; "inf" when the result should have been
non-zero but is shown as 0 or the other way round).
"""
import sys

from mpmath import mp, mpf

GUARD_DIGITS = 60


def floor_div(x, y):
    return mp.floor(x / y)


def trunc(x):
    return mp.floor(x) if x >= 0 else mp.ceil(x)


def scale(n):
    return mpf(10) ** mp.floor(n + mpf("0.5"))


FUNCTIONS = {
    "SQR": lambda x: mp.sqrt(x),
    "EXP": lambda x: mp.exp(x),
    "LOG": lambda x: mp.log(x),
    "LOG10": lambda x: mp.log10(x),
    "LOG2": lambda x: mp.log(x, 2),
    "POW": lambda x, y: mp.power(x, y),
    "INT": lambda x: mp.floor(x),
    "IP": trunc,
    "FP": lambda x: x - trunc(x),
    "CEIL": lambda x: mp.ceil(x),
    "MOD": lambda x, y: x - y * floor_div(x, y),
    "REMAINDER": lambda x, y: x - y * trunc(x / y),
    "ROUND": lambda x, n: mp.floor(x * scale(n) + mpf("0.5")) / scale(n),
    "TRUNCATE": lambda x, n: trunc(x * scale(n)) / scale(n),
}


def error_in_units(digits, shown, true):
    if shown == 0 or true == 0:
        return 0.0 if shown == true else float("inf")
    unit = mpf(10) ** (mp.floor(mp.log10(abs(shown))) + 1 - digits)
    return float(abs(shown - true) / unit)


def main():
    for line in sys.stdin:
        fields = line.split()
        if not fields:
            continue
        digits = int(fields[0])
        mp.dps = digits + GUARD_DIGITS
        shown = mpf(fields[1].replace("'", ""))
        arguments = [mpf(text.replace("'", "")) for text in fields[3:]]
        true = FUNCTIONS[fields[2]](*arguments)
        print(repr(error_in_units(digits, shown, true)))


if __name__ == "__main__":
    main()
