#!/usr/bin/env bash
# Nodes per second of the search on one thread over bench/search_positions.fen
# at a fixed depth, side by side with Debian's toga2 and glaurung ("go depth N"
# over UCI, one thread, 64 MB hash, each position after "ucinewgame").
# Usage: scripts/bench_search.sh [depth] [reference depth]
set -euo pipefail
cd "$(dirname "$0")/.."
depth=${1:-12}
refdepth=${2:-$depth}
positions=bench/search_positions.fen

missing=()
for e in toga2 glaurung; do
    [ -x "/usr/games/$e" ] || command -v "$e" >/dev/null || missing+=("$e")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

cmake --preset release >/dev/null
# One search benchmark per program (CMakeLists.txt, TALUN_PROGRAMS).
benches=$(cat build/release/search_benches.txt)
cmake --build --preset release -j3 --target $benches >/dev/null
for b in $benches; do
    printf '%-20s ' "$b"
    build/release/"$b" "$depth" "$positions" | tail -1
done

python3 - "$refdepth" "$positions" <<'PY'
import shutil, subprocess, sys
depth, path = sys.argv[1], sys.argv[2]
fens = [l.strip() for l in open(path) if l.strip()]
for name in ("toga2", "glaurung"):
    exe = shutil.which(name) or "/usr/games/" + name
    p = subprocess.Popen([exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
    def send(s):
        p.stdin.write(s + "\n")
        p.stdin.flush()
    def wait_for(word):
        last = None
        for line in p.stdout:
            if line.startswith("info") and " nodes " in line and " time " in line:
                last = line.split()
            if line.startswith(word):
                return last
        raise SystemExit(name + ": no " + word)
    send("uci"); wait_for("uciok")
    send("setoption name Hash value 64")
    for opt in ("Threads", "Number of Search Threads"):
        send("setoption name %s value 1" % opt)
    total_nodes = total_ms = 0
    for fen in fens:
        send("ucinewgame"); send("isready"); wait_for("readyok")
        send("position fen " + fen); send("go depth " + depth)
        info = wait_for("bestmove")
        total_nodes += int(info[info.index("nodes") + 1])
        total_ms += int(info[info.index("time") + 1])
    send("quit"); p.wait()
    nps = total_nodes * 1000 // total_ms if total_ms else 0
    print("%-20s total nodes %d time %.2f s nps %d (go depth %s)" % (name, total_nodes, total_ms / 1000, nps, depth))
PY
