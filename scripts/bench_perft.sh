#!/usr/bin/env bash
# Times perft through each program's own command loop (TalunBB, Talun and
# their popcnt builds), side by side with a reference engine's perft ("go
# perft N" over UCI, used as a black box): perft 6 from the start position,
# perft 5 on Kiwipete.
# Usage: scripts/bench_perft.sh [runs] [program...]
# A program is a name (TalunBB, Talun-popcnt, ...: the program of that name in
# build/release, built when needed) or a path to a built program; the default
# is the four release programs.
# Each figure is the best wall-clock time of `runs` whole process runs
# (start-up included for both programs); the program's own reported time of
# the count alone is shown beside it.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-3}
shift || true
[ $# -eq 0 ] && set -- TalunBB TalunBB-popcnt Talun Talun-popcnt
programs=()
targets=()
for p in "$@"; do
  case $p in
    */*) programs+=("$p") ;;
    *) programs+=("build/release/$p"); targets+=("$p") ;;
  esac
done
if [ ${#targets[@]} -gt 0 ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release -j3 --target "${targets[@]}" >/dev/null
fi
for p in "${programs[@]}"; do
  [ -f "$p" ] && [ -x "$p" ] || { echo "no program at $p" >&2; exit 1; }
done

reference=$(command -v stockfish || true)
[ -z "$reference" ] && [ -x /usr/games/stockfish ] && reference=/usr/games/stockfish
if [ -z "$reference" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq stockfish >/dev/null
  reference=$(command -v stockfish || echo /usr/games/stockfish)
fi

kiwipete="r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }

# best_of CMDFILE PROGRAM OUTFILE: best wall time in seconds over $runs runs.
best_of() {
  local input=$1 program=$2 out=$3 best="" t0 t1 t
  for _ in $(seq "$runs"); do
    t0=$(now)
    (cd "$work" && "$program" <"$input" >"$out" 2>&1)
    t1=$(now)
    t=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  printf '%.3f' "$best"
}

bench() {
  local talun=$1 name=$2 fen=$3 depth=$4 expected=$5
  if [ "$fen" = startpos ]; then
    printf 'perft %s\nquit\n' "$depth" >"$work/talun.in"
    printf 'uci\nposition startpos\ngo perft %s\nquit\n' "$depth" >"$work/ref.in"
  else
    printf 'setboard %s\nperft %s\nquit\n' "$fen" "$depth" >"$work/talun.in"
    printf 'uci\nposition fen %s\ngo perft %s\nquit\n' "$fen" "$depth" >"$work/ref.in"
  fi
  local tt rt tl rl own
  tt=$(best_of "$work/talun.in" "$(realpath "$talun")" "$work/talun.out")
  rt=$(best_of "$work/ref.in" "$reference" "$work/ref.out")
  tl=$(sed -n 's/^# Total leaves: //p' "$work/talun.out")
  own=$(sed -n 's/^# Time elapsed: //p' "$work/talun.out")
  rl=$(sed -n 's/^Nodes searched: //p' "$work/ref.out")
  [ "$tl" = "$expected" ] || { echo "$talun counted '$tl', expected $expected" >&2; exit 1; }
  [ "$rl" = "$expected" ] || { echo "reference counted '$rl', expected $expected" >&2; exit 1; }
  printf '%-22s %10s s (own %s) %10s s   ratio %s\n' "$name" "$tt" "$own" "$rt" \
    "$(awk -v a="$tt" -v b="$rt" 'BEGIN { printf "%.2f", a / b }')"
}

echo "reference: $reference ($(dpkg-query -W -f='${Version}' stockfish 2>/dev/null || echo '?'))"
for talun in "${programs[@]}"; do
  name=$(basename "$talun")
  printf '%-22s %25s %12s   %s\n' "position" "$name" "reference" "$name/reference"
  bench "$talun" "start, perft 6" startpos 6 119060324
  bench "$talun" "Kiwipete, perft 5" "$kiwipete" 5 193690690
done
