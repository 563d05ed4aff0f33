#!/usr/bin/env python3
"""Writes lines.txt: 10,000 everyday calculator lines (arithmetic, assignments
and variables, square roots, sines, logarithms, powers).

Run once; the file is committed so every benchmark run reads the same lines.
Every variable holds a positive value, so square roots and logarithms stay in
their domains, and the only unary sign is inside parentheses, where every
calculator we compare with reads it the same way."""

import random

NAMES = ["price", "qty", "rate", "total", "width", "height", "area", "radius",
         "depth", "balance", "years", "speed", "dist", "hours", "mass", "force",
         "volume", "cost", "tax", "fee"]


def number(rng):
    kind = rng.random()
    if kind < 0.4:
        return str(rng.randint(1, 999))
    if kind < 0.8:
        return f"{rng.uniform(0.1, 500):.{rng.randint(1, 4)}f}"
    return f"0.{rng.randint(1, 99):02d}"


class Generator:
    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.known = []

    def operand(self):
        if self.known and self.rng.random() < 0.6:
            return self.rng.choice(self.known)
        return number(self.rng)

    def positive_expr(self, depth=0):
        """Sums, products and quotients of positive operands."""
        if depth >= 2 or self.rng.random() < 0.35:
            return self.operand()
        op = self.rng.choice(["+", "*", "/", "+", "*"])
        left, right = self.positive_expr(depth + 1), self.positive_expr(depth + 1)
        text = f"{left} {op} {right}" if op == "+" else f"{left}{op}{right}"
        return f"({text})" if depth > 0 and op == "+" else text

    def mixed_expr(self):
        a, b, c = self.operand(), self.operand(), self.operand()
        forms = [f"{a} + {b}*{c}", f"({a} - {b})*{c}", f"{a}/{b} - {c}",
                 f"{a}*{b} + {c}/7", f"({a} + {b})/({c} + 1)", f"{a} - {b} - {c}",
                 f"{a}*(0-{b}) + {c}", f"{a}*12/100"]
        return self.rng.choice(forms)

    def assigned_value(self):
        """Keeps every variable positive and of everyday size, however long
        the chain of assignments grows."""
        if not self.known or self.rng.random() < 0.4:
            return number(self.rng)
        v, w = self.rng.choice(self.known), self.rng.choice(self.known)
        forms = [f"{v} + {number(self.rng)}", f"{v}*1.{self.rng.randint(0, 99):02d}",
                 f"({v} + {w})/2", f"{v}*0.{self.rng.randint(10, 99)}",
                 f"sqr({v}*{w})"]
        return self.rng.choice(forms)

    def line(self):
        r = self.rng.random()
        if r < 0.25 or len(self.known) < 3:
            name = self.rng.choice(NAMES)
            value = self.assigned_value()
            if name not in self.known:
                self.known.append(name)
            return f"{name} = {value}"
        if r < 0.55:
            return self.mixed_expr()
        if r < 0.65:
            return f"sqr({self.positive_expr()})"
        if r < 0.75:
            return self.rng.choice([f"sin({self.operand()})",
                                    f"sin({self.operand()}/{self.operand()})"])
        if r < 0.85:
            return f"log({self.positive_expr()})"
        base = self.rng.choice([self.operand(), "1.05", "1.0825", "2", "0.5"])
        return f"{base}^{self.rng.randint(2, 5)}"


def main():
    gen = Generator(20261207)
    with open("lines.txt", "w", encoding="ascii") as out:
        for _ in range(10000):
            out.write(gen.line() + "\n")


if __name__ == "__main__":
    main()
