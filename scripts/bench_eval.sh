#!/usr/bin/env bash
# Builds the release evaluation benchmark (plain and popcnt) and reports
# evaluations per second over the fixed EPD position set.
# Usage: scripts/bench_eval.sh [data-dir] [rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
data=${1:-$(cd .. && pwd)/shared/data}
rounds=${2:-1000}
cmake --preset release >/dev/null
cmake --build --preset release -j4 --target bench_eval bench_eval-popcnt >/dev/null
for b in bench_eval bench_eval-popcnt; do
    printf '%-18s ' "$b"
    build/release/"$b" "$data" "$rounds"
done
