"""The 10,000 everyday lines in each program's language, and the values they
must print, worked out with mpmath."""

import os
import re
import sys

import mpmath
from mpmath import mpf

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "everyday"))
import translate  # noqa: E402  (shared with the bc/calc/gp comparison)

LINES = os.path.join(HERE, "..", "everyday", "lines.txt")
ASSIGNMENT = re.compile(r"^\s*([A-Za-z]\w*)\s*=(.*)$")
NAME = re.compile(r"\b([A-Za-z]\w*)\b(?!\()")
NUMBER = re.compile(r"(?<![\w.])(\d+\.?\d*|\.\d+)")


def lines():
    with open(LINES) as f:
        return [line.rstrip("\n") for line in f if line.strip()]


def _qalc(line):
    # Plain names such as `hours` or `mass` are units to qalc, and `=` would be
    # an equation: give the variables a prefix and assign with `:=`.
    line = re.sub(r"\b(sqr|log)\(", lambda m: {"sqr": "sqrt(", "log": "ln("}[m.group(1)], line)
    line = NAME.sub(lambda m: "v_" + m.group(1), line)
    return ASSIGNMENT.sub(lambda m: f"{m.group(1)} :={m.group(2)}", line)


def translated(program_name):
    """The lines as `program_name` reads them, without its precision setting."""
    source = lines()
    if program_name == "tallix-cli":
        return source
    if program_name == "qalc":
        return [_qalc(line) for line in source]
    tool = {"bc -l": "bc", "calc": "calc", "gp": "gp"}[program_name]
    return [translate.translate(line, tool) for line in source]


def printed_by(program_name):
    """Indexes of the lines whose value the program prints: all of them for
    qalc, which echoes assignments too, the expressions for the others."""
    return [i for i, line in enumerate(lines())
            if program_name == "qalc" or not ASSIGNMENT.match(line)]


def reference():
    """The exact value of every line at mpmath's current precision (variables
    keep full precision, so rounding in a program shows as a difference)."""
    functions = {"sqr": mpmath.sqrt, "sin": mpmath.sin, "log": mpmath.log}
    variables = {}
    values = []
    for line in lines():
        target = ASSIGNMENT.match(line)
        expression = target.group(2) if target else line
        python = NUMBER.sub(lambda m: f"mpf('{m.group(1)}')", expression).replace("^", "**")
        value = eval(python, {"__builtins__": {}, "mpf": mpf, **functions}, variables)
        if target:
            variables[target.group(1)] = value
        values.append(value)
    return values
