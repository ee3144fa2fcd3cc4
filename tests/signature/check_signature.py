#!/usr/bin/env python3
"""Search signature: the node total of a fixed set of positions searched to a
fixed depth on one thread must equal the recorded value. A change that alters
the search tree changes it and must say so (old and new value) in its commit.
Usage: check_signature.py BENCH_PROGRAM DEPTH POSITIONS EXPECTED_NODES"""
import re
import subprocess
import sys

bench, depth, positions, expected = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
out = subprocess.run([bench, depth, positions], capture_output=True, text=True, timeout=600)
if out.returncode != 0:
    sys.exit("%s failed (%d): %s" % (bench, out.returncode, out.stderr))
match = re.search(r"^total nodes (\d+)", out.stdout, re.M)
if not match:
    sys.exit("no node total in the output:\n" + out.stdout)
nodes = int(match.group(1))
if nodes != expected:
    print(out.stdout)
    sys.exit("search signature %d, expected %d" % (nodes, expected))
print("search signature %d" % nodes)
