#!/usr/bin/env bash
# Builds every program and test (release, then the sanitizer build) and runs
# every test. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
ctest --preset release -j "$jobs" --label-exclude deep
cmake --preset debug >/dev/null
cmake --build --preset debug -j "$jobs"
ctest --preset debug -j "$jobs" --label-exclude 'deep|slow'
# ThreadSanitizer over the search: its threads, their hand-shake and the
# tables they share, the pawn hash that every thread's evaluation shares, the
# tablebase prober that four search threads probe at once, and the program
# stopping four search threads by command (about 30 s of building
# and 10 s of tests on 4 cores).
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs" --target unit_tests TalunBB
ctest --preset tsan -j "$jobs" --label-exclude 'deep|slow' \
    -R '^(Search|Quiescence|TT|OneBucket|PawnHashTable|EvalThreads|TablebaseThreads)|^e2e\.TalunBB\.search_threads'
