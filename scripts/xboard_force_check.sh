#!/usr/bin/env bash
# Loads games into a headless xboard with TalunBB as its engine: xboard sends
# the set-up ("setboard" for games with a FEN tag) and every move in force
# mode. Passes when xboard accepted the engine's features, the engine made
# every move that xboard sent, and neither side reported an error.
# Needs the Debian packages xboard and xvfb.
# usage: scripts/xboard_force_check.sh [path/to/TalunBB]
set -euo pipefail
ENGINE=$(readlink -f "${1:-build/release/TalunBB}")
export PATH=$PATH:/usr/games
W=$(mktemp -d /tmp/talun-xboard.XXXXXX)
cat > "$W/games.pgn" <<'PGN'
[Event "castling, en passant, promotion"]
[Result "*"]

1. e4 Nf6 2. e5 d5 3. exd6 e6 4. dxc7 Bd6 5. cxb8=Q Rxb8 6. Nf3 O-O 7. Bc4 Qc7
8. O-O b5 9. Bxb5 Bb7 10. d4 a6 11. Ba4 Rfc8 12. Re1 Qc4 *

[Event "set-up position"]
[SetUp "1"]
[FEN "r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1"]
[Result "*"]

1. exd6 O-O 2. bxa8=N Rxa8 3. O-O-O Rd8 4. d7 Kf8 5. Rh2 Rxd7 *
PGN
D=$((100 + RANDOM % 800))
Xvfb :$D -screen 0 800x600x16 -nolisten tcp >/dev/null 2>&1 &
XPID=$!
trap 'kill $XPID 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=:$D
status=0
for index in 1 2; do
    debug="$W/xboard$index.debug"
    timeout 12 xboard -fcp "$ENGINE" -fd "$W" -loadGameFile "$W/games.pgn" \
        -loadGameIndex $index -timeDelay 0 -saveSettingsOnExit false -popupExitMessage false \
        -debug -nameOfDebugFile "$debug" >"$W/xboard$index.log" 2>&1 || true
    sent=$(grep -c '>first : usermove' "$debug" || true)
    made=$(grep -c '<first : # making user move: ' "$debug" || true)
    setboards=$(grep -c '>first : setboard' "$debug" || true)
    errors=$(grep -hiE '<first : (Error|Illegal)|illegal move|protocol' "$debug" \
        "$W/xboard$index.log" || true)
    echo "game $index: $setboards setboard, $sent moves sent, $made made"
    if ! grep -q '>first : accepted done' "$debug" || [ "$sent" -eq 0 ] || [ "$sent" != "$made" ] \
        || [ -n "$errors" ]; then
        echo "FAILED (debug log: $debug)"
        [ -n "$errors" ] && echo "$errors"
        status=1
    fi
done
[ $status -eq 0 ] && echo "xboard check passed" && [ -z "${KEEP:-}" ] && rm -rf "$W"
exit $status
