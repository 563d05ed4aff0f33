#!/usr/bin/env python3
"""Translates calculator lines into the languages of bc -l, calc and gp.

    translate.py bc|calc|gp < lines.txt > translated

The lines use only what all four understand alike: numbers, variables,
+ - * / ^ with integer exponents, parentheses, and the square root, sine and
natural logarithm. Each translation works at 15 significant digits and, like
the calculator, prints expressions but not assignments."""

import re
import sys

FUNCTIONS = {
    "bc": {"sqr": "sqrt", "sin": "s", "log": "l"},
    "calc": {"sqr": "sqrt", "sin": "sin", "log": "ln"},
    "gp": {"sqr": "sqrt", "sin": "sin", "log": "log"},
}
PROLOGUE = {
    "bc": ["scale=15"],
    "calc": ['config("display", 15),;', 'config("epsilon", 1e-15),;'],
    "gp": ["\\p 15"],
}
EPILOGUE = {"bc": ["quit"], "calc": [], "gp": ["\\q"]}
ASSIGNMENT = re.compile(r"^\s*[A-Za-z]\w*\s*=")


def translate(line, tool):
    names = FUNCTIONS[tool]
    line = re.sub(r"\b(sqr|sin|log)\(", lambda m: names[m.group(1)] + "(", line)
    if tool == "gp" and ASSIGNMENT.match(line):
        line += ";"  # gp would print the assigned value
    return line


def main():
    tool = sys.argv[1]
    out = PROLOGUE[tool] + [translate(l.rstrip("\n"), tool) for l in sys.stdin]
    sys.stdout.write("\n".join(out + EPILOGUE[tool]) + "\n")


if __name__ == "__main__":
    main()
