#!/usr/bin/env python3
"""Runs "eval" on every position of EPD files in two programs and checks that
they print the same tables (the plain and the popcnt builds must agree).

Usage: compare_eval.py PROGRAM_A PROGRAM_B EPD_FILE...
"""
import sys

from engine_run import positions, run

SEPARATOR = "=" * 78


def tables(program, fens):
    commands = ["xboard", "protover 2", "force"]
    for fen in fens:
        commands += ["setboard " + fen, "eval"]
    out = run(program, commands, 300)
    result, current, inside = [], [], 0
    for line in out.split("\n"):
        if line == SEPARATOR:
            inside += 1
            current.append(line)
            if inside == 4:  # a table has four separator lines
                result.append("\n".join(current))
                current, inside = [], 0
        elif inside:
            current.append(line)
    return result


def main():
    if len(sys.argv) < 4:
        raise SystemExit(__doc__)
    fens = positions(sys.argv[3:])
    a, b = tables(sys.argv[1], fens), tables(sys.argv[2], fens)
    if not fens or len(a) != len(fens) or len(b) != len(fens):
        raise SystemExit(f"expected {len(fens)} tables, got {len(a)} and {len(b)}")
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            raise SystemExit(f"table {i} differs:\n{x}\n----\n{y}")
    print(f"{len(a)} eval tables agree")


if __name__ == "__main__":
    main()
