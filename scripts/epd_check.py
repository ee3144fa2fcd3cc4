#!/usr/bin/env python3
"""Plays each position of an EPD file to a fixed depth and counts the solved ones.

usage: scripts/epd_check.py PROGRAM EPD [DEPTH]   (default depth 8)

For each position: "new", "setboard", "sd DEPTH", "go" under a clock that
never runs short, and the "move" line is compared with the position's "bm"
moves (SAN, matched by piece, target square, disambiguation and promotion).
Prints one line per position that fails, then the solved count, the count of
announced forced mates and the total time.
"""
import re
import subprocess
import sys
import time

PIECES = {"N": "n", "B": "b", "R": "r", "Q": "q", "K": "k"}


def board_of(fen):
    squares = {}
    for r, row in enumerate(fen.split()[0].split("/")):
        f = 0
        for ch in row:
            if ch.isdigit():
                f += int(ch)
            else:
                squares["abcdefgh"[f] + str(8 - r)] = ch
                f += 1
    return squares


def san_matches(san, move, squares):
    san = san.rstrip("+#!?")
    frm, to, promo = move[:2], move[2:4], move[4:]
    piece = squares.get(frm, "").lower()
    if san in ("O-O", "0-0"):
        return piece == "k" and frm[0] == "e" and to[0] == "g"
    if san in ("O-O-O", "0-0-0"):
        return piece == "k" and frm[0] == "e" and to[0] == "c"
    m = re.fullmatch(r"([NBRQK])?([a-h])?([1-8])?x?([a-h][1-8])(?:=?([NBRQ]))?", san)
    if not m:
        return False
    kind, file_, rank, target, promotion = m.groups()
    if target != to or piece != (PIECES[kind] if kind else "p"):
        return False
    if (file_ and frm[0] != file_) or (rank and frm[1] != rank):
        return False
    return (promotion or "").lower() == promo


def main():
    program, epd = sys.argv[1], sys.argv[2]
    depth = sys.argv[3] if len(sys.argv) > 3 else "8"
    p = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                         bufsize=1)

    def send(text):
        p.stdin.write(text + "\n")
        p.stdin.flush()

    send("xboard")
    send("nopost")
    solved = mates = total = 0
    start = time.time()
    for line in open(epd, encoding="latin-1"):
        fields = line.split()
        m = re.search(r"\bbm ([^;]+);", line)
        if len(fields) < 4 or line.startswith("#") or not m:
            continue
        fen = " ".join(fields[:4])
        total += 1
        for cmd in ("new", "force", "setboard " + fen + " 0 1", "level 0 1000 0", "sd " + depth,
                    "go"):
            send(cmd)
        mate, move = False, None
        for out in p.stdout:
            if out.startswith("# forced mate"):
                mate = True
            if out.startswith("move "):
                move = out.split()[1]
                break
        send("force")
        ok = move is not None and any(san_matches(b, move, board_of(fen)) for b in m.group(1).split())
        solved += ok
        mates += mate
        if not ok:
            ident = re.search(r'\bid "([^"]*)"', line)
            print(f"failed {ident.group(1) if ident else fen}: played {move}, bm {m.group(1)}")
    send("quit")
    p.wait()
    print(f"solved {solved}/{total}, forced mates announced {mates}, "
          f"depth {depth}, {time.time() - start:.1f} s")


if __name__ == "__main__":
    main()
