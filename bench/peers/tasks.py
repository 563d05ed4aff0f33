"""The benchmark tasks, each with the value every program must print."""

import random
import re

import mpmath
from mpmath import mp, mpf


class Task:
    """One value to compute: `call` is spelled by each program, `reference`
    gives the exact value with mpmath at the current working precision."""

    def __init__(self, name, call, reference):
        self.name, self.call, self.reference = name, call, reference

    def magnitude(self):
        return int(mpmath.floor(mpmath.log10(abs(self.reference()))))


def _operand(digits, seed):
    """A decimal in [0.5, 1) with exactly `digits` digits after the point, so
    the product of two of them has `digits` significant digits at a fixed scale."""
    rng = random.Random(seed)
    first = str(rng.randint(5, 9))
    rest = "".join(str(rng.randint(0, 9)) for _ in range(digits - 2))
    return "0." + first + rest + str(rng.randint(1, 9))


def tasks(digits):
    a, b = _operand(digits, 1), _operand(digits, 2)
    return [
        Task("pi", ("pi", None), lambda: +mp.pi),
        Task("sqrt 2", ("sqrt", "2"), lambda: mpmath.sqrt(2)),
        Task("e", ("exp", "1"), lambda: +mp.e),
        Task("ln 3", ("ln", "3"), lambda: mpmath.log(3)),
        Task("sin 1", ("sin", "1"), lambda: mpmath.sin(1)),
        Task("arctan 0.5", ("atan", "0.5"), lambda: mpmath.atan(mpf("0.5"))),
        Task("2^0.5", ("pow", ("2", "0.5")), lambda: mpmath.power(2, mpf("0.5"))),
        Task("1/7", ("div", ("1", "7")), lambda: mpf(1) / 7),
        Task(f"{digits}-digit product", ("mul", (a, b)), lambda: mpf(a) * mpf(b)),
    ]
