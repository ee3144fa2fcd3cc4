#!/usr/bin/env python3
"""Layers point one way: engine -> search -> book, eval -> board. A source
file may include its own folder and the folders of lower layers only; the
tablebases call nothing above the board; shared board code (board/) includes
no board class of its own (boardbb/, board0x88/) but through board/board.h.
Usage: check_layers.py SRC_DIR"""
import os
import re
import sys

RANK = {"platform": -1, "board": 0, "boardbb": 0, "board0x88": 0, "tablebases": 1, "eval": 2, "book": 2,
        "search": 3, "engine": 4}
# Who may include what besides the ranking: eval and book are siblings.
FORBIDDEN = {("eval", "book"), ("book", "eval"), ("boardbb", "board0x88"), ("board0x88", "boardbb")}

src = sys.argv[1]
faults = []
for folder in sorted(os.listdir(src)):
    path = os.path.join(src, folder)
    if not os.path.isdir(path) or folder not in RANK:
        continue
    for name in sorted(os.listdir(path)):
        with open(os.path.join(path, name), encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                m = re.match(r'\s*#\s*include\s+"([^/"]+)/', line)
                if not m:
                    continue
                target = m.group(1)
                where = "%s/%s:%d includes %s/" % (folder, name, number, target)
                if target not in RANK:
                    continue
                if RANK[target] > RANK[folder] or (folder, target) in FORBIDDEN:
                    faults.append(where + " (a higher or sibling layer)")
                elif (folder == "board" and target in ("boardbb", "board0x88")
                      and name != "board.h"):
                    faults.append(where + " (a board class outside board/board.h)")
for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
