#!/usr/bin/env python3
"""Layers point one way: engine -> search -> book, eval -> tablebases -> the
shared board code above the board classes -> the board classes -> the shared
board base -> platform. A source file may include its own layer and the layers
below it only; eval and book are siblings and so are the two board classes.

board/ holds two layers: its base (types, tables, the contract, ... : what a
board class is built on) and the code above the board classes, which is
board/board.h (the one header that names a board class) and every board/ file
that includes it, directly or through another board/ file (move picker,
perft, ...). A folder of src/ that is not ranked here, or a quoted include of
an unranked folder, is a fault: a new layer must be placed before it is used.
Usage: check_layers.py SRC_DIR"""
import os
import re
import sys

RANK = {"platform": 0, "board-base": 1, "boardbb": 2, "board0x88": 2, "board-upper": 3,
        "tablebases": 4, "eval": 5, "book": 5, "search": 6, "engine": 7}
# Who may not include whom although the ranks would allow it: siblings.
FORBIDDEN = {("eval", "book"), ("book", "eval"), ("boardbb", "board0x88"),
             ("board0x88", "boardbb")}
INCLUDE = re.compile(r'\s*#\s*include\s+(["<])([^/">]+)/([^">]+)[">]')


def includes_of(path):
    """(line number, quoted?, folder, file) of every include with a folder."""
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m:
                yield number, m.group(1) == '"', m.group(2), m.group(3)


def board_upper_files(board_dir):
    """The board/ files that are board.h or include it through board/ files."""
    direct = {}
    for name in os.listdir(board_dir):
        direct[name] = {f for _, _, folder, f in includes_of(os.path.join(board_dir, name))
                        if folder == "board"}
    upper = {"board.h"}
    grew = True
    while grew:
        grew = False
        for name, targets in direct.items():
            if name not in upper and targets & upper:
                upper.add(name)
                grew = True
    return upper


def layer_of(folder, name, upper):
    if folder == "board":
        return "board-upper" if name in upper else "board-base"
    return folder if folder in RANK else None


def check(src):
    faults = []
    board_dir = os.path.join(src, "board")
    upper = board_upper_files(board_dir) if os.path.isdir(board_dir) else set()
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        if folder != "board" and folder not in RANK:
            faults.append("%s/ is a folder of no known layer" % folder)
            continue
        for name in sorted(os.listdir(path)):
            layer = layer_of(folder, name, upper)
            for number, quoted, target, target_name in includes_of(os.path.join(path, name)):
                where = "%s/%s:%d includes %s/%s" % (folder, name, number, target, target_name)
                if target != "board" and target not in RANK:
                    if quoted:
                        faults.append(where + " (a folder of no known layer)")
                    continue
                target_layer = layer_of(target, target_name, upper)
                if RANK[target_layer] > RANK[layer] or (layer, target_layer) in FORBIDDEN:
                    faults.append(where + " (a higher or sibling layer)")
                elif (folder == "board" and target in ("boardbb", "board0x88")
                      and name != "board.h"):
                    faults.append(where + " (a board class outside board/board.h)")
    return faults


if __name__ == "__main__":
    found = check(sys.argv[1])
    for fault in found:
        print(fault)
    sys.exit(1 if found else 0)
