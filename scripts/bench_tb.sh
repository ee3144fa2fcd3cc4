#!/usr/bin/env bash
# Tablebase speed and memory:
#  - probes per second with a cold cache (blocks decoded from the cp4 files)
#    and with every block cached, and the node search's speed on the endgame
#    positions of bench/tb_positions.fen with the tablebases on and off
#    (bench_tb);
#  - the program itself ("egtpath", "sd", "go") on the same positions with the
#    tablebases on and off: its nodes per second from the statistics lines, and
#    its peak resident memory against the hash sizes plus the tablebase cache.
# Usage: scripts/bench_tb.sh [gtb-folder] [depth]
set -euo pipefail
cd "$(dirname "$0")/.."
gtb=$(realpath "${1:-../shared/data/gtb}")
depth=${2:-16}
positions=bench/tb_positions.fen

cmake --preset release >/dev/null
cmake --build --preset release -j3 --target bench_tb TalunBB-popcnt >/dev/null
build/release/bench_tb "$gtb" 12 "$positions"

python3 - build/release/TalunBB-popcnt "$gtb" "$depth" "$positions" <<'PY'
import os, re, subprocess, sys, tempfile
exe, gtb, depth, path = sys.argv[1:5]
exe = os.path.abspath(exe)
fens = [l.strip() for l in open(path) if l.strip() and not l.startswith("#")]
TT, PAWN, CACHE = 64, 8, 32

def run(tablebases):
    # The sizes come from talun.ini, so that the first tables are already of them.
    folder = tempfile.mkdtemp()
    with open(os.path.join(folder, "talun.ini"), "w") as ini:
        ini.write("ttHashSizeMB=%d\npawnHashSizeMB=%d\ngtbCacheSizeMB=%d\n" % (TT, PAWN, CACHE))
    p = subprocess.Popen([exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1,
                         cwd=folder)
    def send(s):
        p.stdin.write(s + "\n")
        p.stdin.flush()
    def wait_for(prefix):
        stats = None
        for line in p.stdout:
            m = re.match(r"# total nodes = (\d+), .*time = (\d+)", line)
            if m:
                stats = (int(m.group(1)), int(m.group(2)))
            if line.startswith(prefix):
                return stats
        raise SystemExit("no " + prefix)
    send("xboard")
    if tablebases:
        send("egtpath gaviota " + gtb)
    nodes = centis = 0
    for fen in fens:
        send("new"); send("force"); send("setboard " + fen)
        send("sd " + depth); send("post"); send("go")
        n, t = wait_for("move ")
        nodes += n; centis += t
    status = open("/proc/%d/status" % p.pid).read()
    peak = int(re.search(r"VmHWM:\s+(\d+)", status).group(1)) // 1024
    send("quit"); p.wait()
    nps = nodes * 100 // centis if centis else 0
    print("program, tablebases %-3s: %10d nodes %6.2f s %9d nodes/s, peak resident %d MB "
          "(hash %d + pawn hash %d + tablebase cache %d MB)"
          % ("on" if tablebases else "off", nodes, centis / 100, nps, peak, TT, PAWN, CACHE))
    return nps

off = run(False)
on = run(True)
print("search speed with tablebases: %.0f %% of the speed without" % (100.0 * on / off if off else 0))
PY
