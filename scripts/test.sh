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
# tables they share, the pawn hash that every thread's evaluation shares, and
# the program stopping four search threads by command, on both boards.
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs" --target unit_tests unit_tests-x88 TalunBB Talun
ctest --preset tsan -j "$jobs" --label-exclude 'deep|slow' \
    -R '^(x88\.)?(Search|Quiescence|TT|OneBucket|PawnHashTable|EvalThreads)|^e2e\.Talun(BB)?\.search_threads'
