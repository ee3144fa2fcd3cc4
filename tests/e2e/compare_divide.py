#!/usr/bin/env python3
"""Runs "divide" on every position of perft files in two programs and checks
that both print the same root moves with the same counts, in any order (the
two boards generate moves in different orders), and the same totals.

Usage: compare_divide.py PROGRAM_A PROGRAM_B DEPTH PERFT_FILE...
"""
import sys

from engine_run import positions, run


def divides(program, fens, depth):
    """One (sorted move lines, total line) pair per position."""
    commands = ["xboard", "force"]
    for fen in fens:
        commands += ["setboard " + fen, f"divide {depth}"]
    out = run(program, commands, 600)
    result, moves = [], []
    for line in out.split("\n"):
        fields = line.split()
        if len(fields) == 2 and len(fields[0]) in (4, 5) and fields[1].isdigit():
            moves.append(line)
        elif line.startswith("Total leaves: "):
            result.append((sorted(moves), line))
            moves = []
    return result


def main():
    if len(sys.argv) < 5:
        raise SystemExit(__doc__)
    depth = int(sys.argv[3])
    fens = positions(sys.argv[4:])
    a, b = divides(sys.argv[1], fens, depth), divides(sys.argv[2], fens, depth)
    if not fens or len(a) != len(fens) or len(b) != len(fens):
        raise SystemExit(f"expected {len(fens)} divides, got {len(a)} and {len(b)}")
    for fen, x, y in zip(fens, a, b):
        if x != y:
            raise SystemExit(f"divide of {fen} differs:\n{x}\n----\n{y}")
    print(f"{len(a)} sorted divides agree")


if __name__ == "__main__":
    main()
