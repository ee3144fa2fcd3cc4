#!/usr/bin/env python3
"""Peak memory stays flat over many games: with small hash tables, every "new"
frees and remakes the tables and the thread pool, and twenty short games must
peak (VmHWM) within a few MB of two. Each game is one search of fixed depth.
Usage: memory_over_games.py PROGRAM"""
import os
import re
import subprocess
import sys
import tempfile

SETTINGS = "ttHashSizeMB=16\npawnHashSizeMB=1\nnumberOfCores=2\n"
ALLOWED_GROWTH_KB = 4096


def main():
    program = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "talun.ini"), "w") as f:
            f.write(SETTINGS)
        engine = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  text=True, cwd=folder)

        def send(text):
            engine.stdin.write(text + "\n")
            engine.stdin.flush()

        def wait_for(prefix):
            for line in engine.stdout:
                if line.startswith(prefix):
                    return
            sys.exit("the program ended before it printed %r" % prefix)

        def peak_kb():
            with open("/proc/%d/status" % engine.pid) as status:
                return int(re.search(r"^VmHWM:\s+(\d+) kB", status.read(), re.M).group(1))

        send("xboard\nprotover 2\nnopost")
        peaks = {}
        for game in range(1, 21):
            send("new\nsd 2\ngo")
            wait_for("move ")
            send("ping %d" % game)
            wait_for("pong %d" % game)
            peaks[game] = peak_kb()
        send("quit")
        engine.wait()
    growth = peaks[20] - peaks[2]
    print("peak after 2 games %d kB, after 20 games %d kB" % (peaks[2], peaks[20]))
    if growth > ALLOWED_GROWTH_KB:
        sys.exit("peak memory grew by %d kB over 18 games" % growth)


main()
