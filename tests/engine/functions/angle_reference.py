#!/usr/bin/python3
"""True values of pi and the circular, inverse circular and hyperbolic
functions, for the agreement tests.

Reads lines "<digits> <shown> <expression>" on stdin: <shown> is the
calculator's displayed result at <digits> significant digits and
<expression> an mpmath expression for the true value (without blanks), such
as sin(5*pi/4) or atan(sqrt(2)+1). Writes one line per input: how far <shown>
lies from the true value, in units of the last displayed digit ("inf" when
exactly one of the two is zero).
"""
import re
import sys

import mpmath
from mpmath import mp, mpf

from reference import error_in_units  # the same measure as the other agreement checks

GUARD_DIGITS = 60

NAMES = {
    name: getattr(mpmath, name)
    for name in ("pi", "sqrt", "sin", "cos", "tan", "cot", "sec", "csc", "asin",
                 "acos", "atan", "atan2", "sinh", "cosh", "tanh", "degrees",
                 "radians")
}
NAMES["mpf"] = mpf


# Decimal literals become exact mpf values rather than binary floats.
LITERAL = re.compile(r"(?<![A-Za-z_0-9.])(\d+\.?\d*(?:[eE][-+]?\d+)?|\.\d+(?:[eE][-+]?\d+)?)")


def true_value(expression):
    exact = LITERAL.sub(lambda m: "mpf('%s')" % m.group(1), expression)
    return eval(exact, {"__builtins__": {}}, NAMES)


def main():
    for line in sys.stdin:
        fields = line.split()
        if not fields:
            continue
        digits = int(fields[0])
        mp.dps = digits + GUARD_DIGITS
        shown = mpf(fields[1].replace("'", ""))
        true = true_value(fields[2])
        print(repr(error_in_units(digits, shown, true)))


if __name__ == "__main__":
    main()
