#!/usr/bin/env python3
"""Times tallix-cli beside bc, calc, gp and qalc on the same tasks.

    compare.py TALLIX_CLI [--digits 15,2000] [--timeout SECONDS]

Each program's answer is first checked against mpmath; only a program that
printed the right digits within the time limit is timed, with hyperfine."""

import argparse
import json
import os
import shlex
import shutil
import statistics
import subprocess
import sys
import tempfile

from mpmath import mp, mpf

import everyday
from programs import Bc, Calc, Gp, Qalc, Tallix
from tasks import tasks

STARTUP = "start-up (empty input)"
EVERYDAY = "10,000 everyday lines"
EVERYDAY_SLACK = 6


class Outcome:
    """What became of one program on one row: a time, or why there is none."""

    def __init__(self, seconds=None, failure=None, detail="", digits=None):
        self.seconds, self.failure, self.detail = seconds, failure, detail
        self.digits = digits  # significant digits right on the worst result


def run_once(command, env, timeout):
    started = os.times().elapsed
    with subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True) as process:
        try:
            stdout, stderr = process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.communicate()
            raise
    result = subprocess.CompletedProcess(command, process.returncode, stdout, stderr)
    return result, os.times().elapsed - started


def agree(value, reference, tolerance):
    return value is not None and abs(value - reference) <= tolerance


def digits_right(values, references):
    worst = max((abs(v - r) / max(1, abs(r)) for v, r in zip(values, references)), default=0)
    return int(-mp.log10(worst)) if worst else None


def check(program, command, env, timeout, expected):
    """Runs the command once; `expected` is a list of (reference, tolerance)."""
    try:
        result, seconds = run_once(command, env, timeout)
    except subprocess.TimeoutExpired:
        return Outcome(failure=f"> {timeout:g} s", detail="too slow")
    if result.returncode != 0 and not result.stdout:
        return Outcome(failure="error", detail=result.stderr.strip()[:200])
    values = program.values(result.stdout)
    if len(values) != len(expected):
        return Outcome(failure="wrong", detail=f"{len(values)} results, {len(expected)} expected")
    for index, (value, (reference, tolerance)) in enumerate(zip(values, expected)):
        if not agree(value, reference, tolerance):
            printed = program.result_lines(result.stdout)[index]
            return Outcome(failure="wrong", detail=f"result {index + 1}: {printed[:60]}")
    return Outcome(seconds=seconds, digits=digits_right(values, [r for r, _ in expected]))


def hyperfine(command, env, seconds, work):
    """Median wall time; fewer runs for slow commands keep the whole run short."""
    if seconds < 0.5:
        runs = ["--warmup", "3", "--min-runs", "10", "--max-runs", "60"]
    elif seconds < 5:
        runs = ["--warmup", "1", "--runs", "5"]
    else:
        runs = ["--runs", "2"]
    report = os.path.join(work, "hyperfine.json")
    subprocess.run(["hyperfine", "-N", "--style", "none", *runs, "--export-json", report,
                    shlex.join(command)],
                   env=env, check=True, stdout=subprocess.DEVNULL)
    with open(report) as f:
        return statistics.median(json.load(f)["results"][0]["times"])


def ulp(reference, digits):
    """One unit in the last of `digits` significant digits."""
    return mpf(10) ** (int(mp.floor(mp.log10(abs(reference)))) + 1 - digits)


def rows(digits, programs, work):
    """(row name, {program: (command, expected)}) for every row at `digits`."""
    def write(name, text):
        path = os.path.join(work, name)
        with open(path, "w") as f:
            f.write(text)
        return path

    yield STARTUP, {p: (p.command(None, write(f"empty.{i}", p.script([], digits, 0)), digits), [])
                    for i, p in enumerate(programs)}
    for task in tasks(digits):
        reference = task.reference()
        expected = [(reference, ulp(reference, digits))]
        commands = {}
        for i, p in enumerate(programs):
            line = p.expression(task.call)
            path = write(f"task.{i}", p.script([line], digits, task.magnitude()))
            commands[p] = (p.command(line, path, digits), expected)
        yield task.name, commands
    # Variables keep each program's own rounding, which a sine of a large
    # argument or a logarithm near 1 magnifies, and bc and calc count places
    # after the point, so small values lose digits there: every line must agree
    # to EVERYDAY_SLACK digits fewer than asked (relative to the value, or to 1
    # below 1), and the digits actually right on the worst line are reported.
    references = everyday.reference()
    commands = {}
    for i, p in enumerate(programs):
        path = write(f"everyday.{i}", p.script(everyday.translated(p.name), digits, -1))
        expected = [(references[k],
                     mpf(10) ** (EVERYDAY_SLACK - digits) * max(1, abs(references[k])))
                    for k in everyday.printed_by(p.name)]
        commands[p] = (p.command(None, path, digits), expected)
    yield EVERYDAY, commands


def measure(digits, programs, env, timeout, work):
    mp.dps = 2 * digits + 30
    table = []
    for name, commands in rows(digits, programs, work):
        outcomes = {}
        for program, (command, expected) in commands.items():
            print(f"  {digits:>5} digits  {name:<24} {program.name}", file=sys.stderr)
            outcome = check(program, command, env, timeout, expected)
            if outcome.seconds is not None:
                outcome.seconds = hyperfine(command, env, outcome.seconds, work)
            outcomes[program] = outcome
        table.append((name, digits, outcomes))
    return table


def cell(outcome, base):
    if outcome.seconds is None:
        return outcome.failure
    text = f"{outcome.seconds * 1000:.1f}"
    if base.seconds is not None and base.seconds > 0:
        ratio = outcome.seconds / base.seconds
        text += f" x{ratio:.1f}" if ratio >= 1 else f" x{ratio:.2g}"
    return text


def print_table(table, programs):
    tallix = programs[0]
    width = [26, 7] + [20] * len(programs)
    header = ["task", "digits"] + [p.name for p in programs]
    print()
    print(f"Load average while measuring: {os.getloadavg()[0]:.1f} on {os.cpu_count()} cores.")
    print("Whole-process median times in ms, start-up included (the start-up row is an")
    print("empty input with the precision set); xN = time / tallix-cli time, so above 1")
    print("tallix-cli is faster. '> N s' = gave up after N s; 'wrong' = digits disagree.")
    print()
    print("".join(h.ljust(w) if i < 2 else h.rjust(w) for i, (h, w) in enumerate(zip(header, width))))
    for name, digits, outcomes in table:
        cells = [name.ljust(width[0]), str(digits).ljust(width[1])]
        cells += [cell(outcomes[p], outcomes[tallix]).rjust(w) for p, w in zip(programs, width[2:])]
        print("".join(cells))
    print()
    for name, digits, outcomes in table:
        if name == EVERYDAY:
            right = ", ".join(f"{p.name} {outcomes[p].digits}" for p in programs
                              if outcomes[p].digits is not None)
            print(f"Everyday lines at {digits} digits, digits right on the worst line: {right}")
    for name, digits, outcomes in table:
        for p in programs:
            if outcomes[p].failure:
                print(f"{p.name} on '{name}' at {digits} digits: {outcomes[p].detail}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("tallix_cli")
    parser.add_argument("--digits", default="15,2000")
    parser.add_argument("--timeout", type=float, default=60)
    args = parser.parse_args()
    programs = [Tallix(os.path.abspath(args.tallix_cli)), Bc(), Calc(), Gp(), Qalc()]
    work = tempfile.mkdtemp(prefix="tallix-peers.")
    # qalc writes its settings and history on exit; keep them out of the user's home.
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=work, XDG_DATA_HOME=work,
               BC_LINE_LENGTH="0")
    try:
        table = []
        for digits in (int(d) for d in args.digits.split(",")):
            table += measure(digits, programs, env, args.timeout, work)
        print_table(table, programs)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
