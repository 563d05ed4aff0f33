"""How each calculator is asked for a value at a given precision, and how its
answer is read back.

Every program gets its expression the way a user would type it: tallix-cli
and qalc on the command line, bc, calc and gp from a small script file (gp
prints from a file only what it is told to print). The
precision setting sits in each script, so an empty script measures start-up
with the precision already chosen."""

import re
from fractions import Fraction

from mpmath import mpf


def _digits_after_point(digits, magnitude):
    """Decimal places that give `digits` significant digits to a value whose
    leading digit is at 10**magnitude (bc and calc count places, not digits)."""
    return max(digits - 1 - magnitude, 0)


class Program:
    name = ""
    executable = ""
    functions = {}

    def expression(self, call):
        """Spells a call such as ("sin", "1") or ("pow", ("2", "0.5")) in this
        program's language."""
        name, argument = call
        operators = {"pow": "^", "div": "/", "mul": "*"}
        if name in operators:
            return operators[name].join(argument)
        return f"{self.functions[name]}({argument})"

    def script(self, lines, digits, magnitude):
        return "\n".join(self.prologue(digits, magnitude) + lines + self.epilogue()) + "\n"

    def prologue(self, digits, magnitude):
        return []

    def epilogue(self):
        return []

    def values(self, output):
        return [parse_number(line) for line in self.result_lines(output)]

    def result_lines(self, output):
        return [line for line in output.splitlines() if line.strip()]


class Tallix(Program):
    name = "tallix-cli"
    functions = {"pi": "pi", "sqrt": "sqr", "exp": "exp", "ln": "log", "sin": "sin",
                 "atan": "arctan"}

    def __init__(self, path):
        self.executable = path

    def expression(self, call):
        return "pi" if call[0] == "pi" else super().expression(call)

    def command(self, line, script_path, digits):
        if line is None:
            return [self.executable, "-p", str(digits), script_path]
        return [self.executable, "-p", str(digits), "-e", line]

    def script(self, lines, digits, magnitude):
        return "\n".join(lines) + "\n"


class Bc(Program):
    name = "bc -l"
    executable = "bc"
    functions = {"sqrt": "sqrt", "exp": "e", "ln": "l", "sin": "s", "atan": "a"}

    def expression(self, call):
        if call[0] == "pi":
            return "4*a(1)"
        if call[0] == "pow":  # bc's ^ takes whole exponents only
            base, exponent = call[1]
            return f"e({exponent}*l({base}))"
        return super().expression(call)

    def script(self, lines, digits, magnitude):
        if len(lines) != 1:
            return super().script(lines, digits, magnitude)
        # bc truncates at every step and 4*a(1) multiplies the error: a bc user
        # after the right digits works with two more places and cuts back.
        places = _digits_after_point(digits, magnitude)
        steps = [f"scale={places + 2}", f"x={lines[0]}", f"scale={places}", "x/1", "quit"]
        return "\n".join(steps) + "\n"

    def prologue(self, digits, magnitude):
        return [f"scale={_digits_after_point(digits, magnitude)}"]

    def epilogue(self):
        return ["quit"]

    def command(self, line, script_path, digits):
        return ["bc", "-lq", script_path]  # BC_LINE_LENGTH=0 in the environment


class Calc(Program):
    name = "calc"
    executable = "calc"
    functions = {"sqrt": "sqrt", "exp": "exp", "ln": "ln", "sin": "sin", "atan": "atan"}

    def expression(self, call):
        if call[0] == "pi":
            return "pi()"
        return super().expression(call)

    def prologue(self, digits, magnitude):
        places = _digits_after_point(digits, magnitude)
        return [f'config("display", {places}),;', f'config("epsilon", 1e-{places}),;']

    def command(self, line, script_path, digits):
        return ["calc", "-q", "-p", "-f", script_path]


class Gp(Program):
    name = "gp"
    executable = "gp"
    functions = {"sqrt": "sqrt", "exp": "exp", "ln": "log", "sin": "sin", "atan": "atan"}

    def expression(self, call):
        if call[0] == "pi":
            return "Pi"
        if call[0] == "div":  # a quotient of whole numbers would stay a fraction
            return "{}./{}".format(*call[1])
        return super().expression(call)

    def script(self, lines, digits, magnitude):
        # gp echoes results only at its prompt, not from a file it reads
        shown = [line if line.endswith(";") else f"print({line})" for line in lines]
        return super().script(shown, digits, magnitude)

    def prologue(self, digits, magnitude):
        return [f"default(realprecision, {digits});"]

    def epilogue(self):
        return ["\\q"]

    def command(self, line, script_path, digits):
        return ["gp", "-q", "-f", "-D", "colors=", script_path]


class Qalc(Program):
    name = "qalc"
    executable = "qalc"
    functions = {"sqrt": "sqrt", "exp": "exp", "ln": "ln", "sin": "sin", "atan": "atan"}

    def expression(self, call):
        return "pi" if call[0] == "pi" else super().expression(call)

    def script(self, lines, digits, magnitude):
        return "\n".join(lines) + "\n"

    def command(self, line, script_path, digits):
        setting = ["qalc", "-t", "-set", f"precision {digits}"]
        return setting + (["-f", script_path] if line is None else [line])


NUMBER = re.compile(r"^-?(\d+\.?\d*|\.\d+)(e[-+]?\d+)?$")


def parse_number(text):
    """Reads one printed result: bc's '.5', calc's '~0.5', gp's '1.5 E-7' and
    '2/3', qalc's '−0.5' all become exact numbers; anything else is None."""
    text = text.strip().lstrip("~").replace("\u2212", "-").replace(" ", "").replace("'", "")
    text = text.replace("E", "e")
    if re.fullmatch(r"-?\d+/\d+", text):
        fraction = Fraction(text)
        return mpf(fraction.numerator) / fraction.denominator
    if NUMBER.match(text):
        return mpf(text)
    return None
