#!/bin/bash
# Plays a Talun program (TalunBB by default, -e for another) against other
# xboard engines with Debian's xboard, headless under Xvfb: a gauntlet (the
# program against each opponent in turn) from the
# opening positions of a FEN file, both colours per position.
#
# Needs the Debian packages xboard and xvfb and the opponents' packages
# (fairymax phalanx hoichess sjeng stockfish gnuchess).
#
# usage: scripts/match.sh [-g GAMES_PER_OPPONENT] [-c CORES] [-j PARALLEL]
#                         [-tc MIN:SEC] [-inc SECONDS] [-p POSITIONS.fen]
#                         [-e PROGRAM] [-o OUT.pgn] [-w WORKDIR] [OPPONENT...]
#   OPPONENT: an xboard engine line, e.g. 'fairymax' or
#     '"SF-1500" -fcp stockfish -fUCI -firstOptions "UCI_LimitStrength=true,UCI_Elo=1500"'
#   Defaults: 50 games against each of fairymax phalanx hoichess sjeng at
#   10 s + 0.1 s, 1 core, 2 xboard instances at once, build/release/TalunBB,
#   positions eco8.fen of $TALUN_DATA_DIR (default ../shared/data).
# Prints the score against each opponent and every game that ended by an
# illegal move, a time forfeit or a crash; exits 1 when there was any.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
G=50 CORES=1 J=2 TC=0:10 INC=0.1 W=""
POS="${TALUN_DATA_DIR:-$ROOT/../shared/data}/epd/eco8.fen"
ENGINE="$ROOT/build/release/TalunBB"
OUT=""
while [ $# -gt 0 ]; do case "$1" in
  -g) G=$2; shift 2;; -c) CORES=$2; shift 2;; -j) J=$2; shift 2;;
  -tc) TC=$2; shift 2;; -inc) INC=$2; shift 2;; -p) POS=$2; shift 2;;
  -e) ENGINE=$2; shift 2;; -o) OUT=$2; shift 2;; -w) W=$2; shift 2;;
  -h|--help) sed -n '2,20p' "$0"; exit 0;;
  *) break;; esac; done
[ $# -gt 0 ] || set -- fairymax phalanx hoichess sjeng
POS=$(readlink -f "$POS" || echo "$POS"); ENGINE=$(readlink -f "$ENGINE" || echo "$ENGINE")
[ -r "$POS" ] || { echo "no position file: $POS" >&2; exit 2; }
[ -x "$ENGINE" ] || { echo "no program: $ENGINE (build it first)" >&2; exit 2; }
export PATH=$PATH:/usr/games
for tool in xboard Xvfb; do
  command -v $tool >/dev/null || { echo "$tool is missing (apt-get install xboard xvfb)" >&2; exit 2; }
done

W=${W:-$(mktemp -d /tmp/talun-match.XXXXXX)}; mkdir -p "$W/talun"; W=$(readlink -f "$W")
OUT=${OUT:-$W/games.pgn}; touch "$OUT"; OUT=$(readlink -f "$OUT")
# The engine's own folder: smaller tables than the defaults, no book file.
printf 'ttHashSizeMB=64\npawnHashSizeMB=8\n' > "$W/talun/talun.ini"
# The name the program announces: its file name without "-popcnt".
ANNOUNCED=$(basename "$ENGINE"); ANNOUNCED=${ANNOUNCED%-popcnt}
NAME="$(basename "$ENGINE")-c$CORES"
ME="\"$NAME\" -fcp \"$ENGINE -cores $CORES\" -fd \"$W/talun\""

{ echo "-firstChessProgramNames {"; echo "$ME"; for e in "$@"; do echo "$e"; done; echo "}"; } > "$W/xb.rc"
PART="$NAME"$'\n'
for e in "$@"; do PART+="$(printf '%s\n' "$e" | sed -E 's/^"([^"]*)".*/\1/; t; s/ .*//')"$'\n'; done
cat > "$W/t.trn" <<TRN
-participants {${PART}}
-seedBase 1
-tourneyType 1
-tourneyCycles 1
-defaultMatchGames $G
-syncAfterRound false
-syncAfterCycle true
-saveGameFile "$OUT"
-loadGameFile ""
-loadGameIndex 0
-loadPositionFile "$POS"
-loadPositionIndex -2
-rewindIndex 0
-usePolyglotBook false
-polyglotBook ""
-discourageOwnBooks false
-defaultHashSize 64
-defaultCacheSizeEGTB 4
-ponderNextMove false
-smpCores $CORES
-searchTime ""
-mps 0
-tc $TC
-inc $INC
-results ""
TRN

D=$((100 + RANDOM % 800))
Xvfb :$D -screen 0 800x600x16 -nolisten tcp >/dev/null 2>&1 & XPID=$!
trap 'kill $XPID 2>/dev/null' EXIT
sleep 1; export DISPLAY=:$D
# Opponents write files into their working folder (gnuchess: game.NNN, log.NNN).
cd "$W"
PIDS=()
for i in $(seq 1 "$J"); do
  xboard -settingsFile "$W/xb.rc" -saveSettingsOnExit false -noGUI -xexit -mm -tf "$W/t.trn" \
    -soundProgram true -popupExitMessage false \
    -adjudicateLossThreshold -1000 -adjudicateDrawMoves 300 -checkMates true -testClaims true \
    -materialDraws true -trivialDraws false -ruleMoves 51 -repeatsToDraw 3 -matchPause 100 \
    -debug -nameOfDebugFile "$W/xb$i.debug" > "$W/inst$i.log" 2>&1 & PIDS+=($!)
  sleep 0.5
done
wait "${PIDS[@]}" || true

python3 - "$OUT" "$NAME" "$ANNOUNCED" <<'PY'
import re, sys
pgn, me, announced = sys.argv[1], sys.argv[2], sys.argv[3]
# The PGN names the engine by the name it announces ("TalunBB <version>").
def is_me(name):
    return name is not None and name.split(" ")[0] == announced
text = open(pgn, encoding="latin-1").read()
games = re.split(r'\n(?=\[Event )', text.strip()) if text.strip() else []
score, faults = {}, []
for g in games:
    tag = dict(re.findall(r'\[(\w+) "([^"]*)"\]', g))
    white, black, result = tag.get("White"), tag.get("Black"), tag.get("Result", "*")
    if not (is_me(white) or is_me(black)):
        continue
    white_me = is_me(white)
    opp = black if white_me else white
    s = score.setdefault(opp, [0.0, 0, 0, 0, 0])  # points, games, wins, draws, losses
    s[1] += 1
    if result == "1/2-1/2":
        s[0] += 0.5; s[3] += 1
    elif result in ("1-0", "0-1"):
        won = (result == "1-0") == white_me
        s[0] += won; s[2 if won else 4] += 1
    comments = re.findall(r'\{([^}]*)\}', g.split("\n\n", 1)[-1])
    comment = comments[-1] if comments else ""
    if re.search(r'illegal|on time|flag|crash|exit|died|disconnect|no response|unterminated',
                 comment, re.I):
        lost = result == ("0-1" if white_me else "1-0")
        who = me if lost or result == "*" else opp
        faults.append((who, f'{white} - {black} {result} {{{comment}}}'))
total = [0.0, 0]
for opp, (p, n, w, d, l) in sorted(score.items()):
    print(f'{me} vs {opp}: {p:g}/{n} (+{w} ={d} -{l})')
    total[0] += p; total[1] += n
print(f'{me} total: {total[0]:g}/{total[1]}')
for who, f in faults:
    print(('FAULT: ' if who == me else 'opponent fault: ') + f)
print(f'pgn: {pgn}')
sys.exit(1 if any(who == me for who, _ in faults) else 0)
PY
