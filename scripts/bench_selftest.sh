#!/usr/bin/env bash
# Runs "selftest" on every built program and prints its closing figures
# (leaves and nodes per second over all 18 rows, counted with the perft hash).
# Usage: scripts/bench_selftest.sh [build dir] [runs]
# Each program is run `runs` times; the run with the highest lps is shown.
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(realpath -m "${1:-build/release}")
runs=${2:-3}
if [ ! -x "$build/TalunBB" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release -j3
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%-16s %8s %12s %12s\n' program "t (cs)" lps nps
for program in TalunBB TalunBB-popcnt Talun Talun-popcnt; do
  [ -x "$build/$program" ] || continue
  best=""
  for _ in $(seq "$runs"); do
    out=$(cd "$work" && printf 'xboard\nselftest\nquit\n' | "$build/$program")
    if ! grep -q '^18 tests passed, 0 tests failed' <<<"$out"; then
      echo "$program: self-test failed" >&2
      grep -E 'FAILED|tests run' <<<"$out" >&2
      exit 1
    fi
    line=$(grep -A1 'tests run:' <<<"$out" | tail -1)  # n=..., t=..., lps=..., nps=...
    lps=$(sed -n 's/.*lps=\([0-9]*\).*/\1/p' <<<"$line")
    if [ -z "$best" ] || [ "$lps" -gt "$(sed -n 's/.*lps=\([0-9]*\).*/\1/p' <<<"$best")" ]; then
      best=$line
    fi
  done
  t=$(sed -n 's/.*t=\([0-9]*\),.*/\1/p' <<<"$best")
  lps=$(sed -n 's/.*lps=\([0-9]*\).*/\1/p' <<<"$best")
  nps=$(sed -n 's/.*nps=\([0-9]*\).*/\1/p' <<<"$best")
  printf '%-16s %8s %12s %12s\n' "$program" "$t" "$lps" "$nps"
done
