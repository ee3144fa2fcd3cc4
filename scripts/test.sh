#!/usr/bin/env bash
# Builds every program and test (release, then the sanitizer build) and runs
# every test. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=${JOBS:-$(nproc)}  # JOBS=3 scripts/test.sh on a shared machine
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
ctest --preset release -j "$jobs" --label-exclude deep
# Warning-clean with -Wshadow -Wconversion (as errors); built, not run again.
cmake --preset strict >/dev/null
cmake --build --preset strict -j "$jobs"
cmake --preset debug >/dev/null
cmake --build --preset debug -j "$jobs"
ctest --preset debug -j "$jobs" --label-exclude 'deep|slow'
# ThreadSanitizer over the search: its threads, their hand-shake and the
# tables they share, the pawn hash that every thread's evaluation shares, the
# tablebase prober that four search threads probe at once, the program
# stopping four search threads by command, "randgames" stopping a search,
# random and book moves handed over while the helpers start, and "time"
# during the hand-over;
# on the 0x88 board the tests that run threads (its single-thread searches to
# a fixed depth are too slow under the sanitizer and add nothing to it).
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs" --target unit_tests unit_tests_x88 TalunBB Talun
ctest --preset tsan -j "$jobs" --label-exclude 'deep|slow' \
    -R '^(Search|Quiescence|TT|OneBucket|PawnHashTable|EvalThreads|TablebaseThreads)|^x88\.(Search(Concurrency|Controller|Threads|Stop)|TTConcurrency|EvalThreads|TablebaseThreads)|^e2e\.Talun(BB)?\.(search_threads|randgames_search|threads_random_moves)'
