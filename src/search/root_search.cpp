// Iterative deepening and the root of the search: root move pre-scores,
// aspiration windows with their re-searches, the root's late-move reduction,
// and the stop rules of the main search thread.
#include <cstdio>
#include <string>

#include "board/move_picker.h"
#include "eval/evaluate.h"
#include "search/clock.h"
#include "search/search_interface.h"
#include "search/search_output.h"
#include "search/searcher.h"

namespace {

constexpr i32 MAX_DEPTH = 100;
constexpr Score ASPIRATION_HALF_WIDTH = 30;
constexpr Score EASY_MOVE_MARGIN = 199;
constexpr i32 TIME_RULES_FROM_DEPTH = 6;  // the time stop rules and first-move timing

bool hasOnlyKing(const Board& board, Color c) {
    return board.menCount(c) == 1;
}

bool isMateScore(Score s) {
    return s < -MATE_THRESHOLD || s > MATE_THRESHOLD;
}

i64 timeUsedInSearch(const Searcher& s) {
    return s.clock->elapsedTime() - s.clock->elapsedAtSearchStart;
}

void copyLine(PvLine& to, const PvLine& from) {
    to.length = from.length;
    for (u32 i = 0; i < from.length; ++i) to.moves[i] = from.moves[i];
}

// Endgame tablebases are not probed at the root in this build: no answer.
bool probeRootTablebase(const Board&, Score&) {
    return false;
}

// Pre-scores every root move by the evaluation after it (or the tablebases);
// the first move of the highest score becomes the first best line.
template <Color Us>
void scoreRootMoves(Searcher& s, PvLine& best, Score& u, u32& rootMoves, u32& tablebaseScored) {
    Board& board = s.board;
    MovePicker picker;
    picker.initLegal(&board, NO_MOVE);
    best.length = 0;
    for (Move m = picker.template next<Us>(); m != NO_MOVE; m = picker.template next<Us>()) {
        ++rootMoves;
        Board::Undo undo;
        board.current().move = m;
        board.template makeMove<Us>(m, undo);
        Score v = 0, score;
        if (probeRootTablebase(board, v)) {
            bump(s.tbHits);
            ++tablebaseScored;
            // From the opponent's view; one ply nearer to the root.
            score = v >= 1 ? 1 - v : (v < 0 ? -v - 1 : 0);
        } else {
            score = -evaluate(board, s.pawnHashTable, -MATE_SCORE, MATE_SCORE);
        }
        board.template unmakeMove<Us>(m, undo);
        if (best.length == 0 || score > u) {
            u = score;
            best.length = 1;
            best.moves[0] = m;
        }
    }
}

// A window of +-30 around the last score, widened towards the side it fails
// on and then to the full mate bounds.
template <Color Us>
Score aspirationSearch(Searcher& s, Score u, Score lower, Score upper, i32 d, PvLine& work) {
    Score alpha = u - ASPIRATION_HALF_WIDTH > lower - 1 ? u - ASPIRATION_HALF_WIDTH : lower - 1;
    Score beta = u + ASPIRATION_HALF_WIDTH < upper + 1 ? u + ASPIRATION_HALF_WIDTH : upper + 1;
    Score v = s.searchRoot<Us>(alpha, beta, d, work);
    if (s.stopped()) return v;
    if (v >= beta && v <= upper) {
        v = s.searchRoot<Us>(alpha, upper + 1, d, work);
        if (!s.stopped() && v <= alpha && v >= lower) {
            v = s.searchRoot<Us>(lower - 1, upper + 1, d, work);
        }
    } else if (v <= alpha && v >= lower) {
        v = s.searchRoot<Us>(lower - 1, beta, d, work);
        if (!s.stopped() && v >= beta && v <= upper) {
            v = s.searchRoot<Us>(lower - 1, upper + 1, d, work);
        }
    }
    return v;
}

// The stop rules of thread 0 after a completed depth; true when the search ends.
bool applyStopRules(const Searcher& s, i32 d, Score u, Score lower, Score upper, u32 rootMoves,
                    bool easyTwice, const PvLine& best) {
    const Clock& clock = *s.clock;
    const std::string line = lineText(best) + "\n";
    if (d == 1 && rootMoves == 1) {
        printAndFlush("# forced move: " + line);
        return true;
    }
    if (d >= TIME_RULES_FROM_DEPTH && clock.timeControlOn) {
        i64 used = timeUsedInSearch(s);
        i64 maxTime = clock.maxTime;
        if (easyTwice && used >= maxTime / 8) {
            printAndFlush("# easy move: " + line);
            return true;
        }
        if (maxTime - used < i64(s.firstMovesTime) * 3 / 2) {
            printAndFlush("# probably not enough time left for another iteration\n");
            return true;
        }
    }
    if (u == upper) {
        if (upper != 0) {
            printAndFlush("# forced mate in " + std::to_string(MATE_SCORE - u) + " plies: " + line);
        } else {
            printAndFlush("# forced draw: " + line);
        }
        return true;
    }
    if (u == lower && u < 0) {
        printAndFlush("# getting mated in " + std::to_string(u + MATE_SCORE) + " plies: " + line);
        return true;
    }
    return clock.depthLimitOn && d == clock.depthLimit;
}

// The depth loop: thread 0 steps by 1 from depth 1; the others by 2 from
// depth 1 or 2 by their index, so that the pool spreads over the depths, and
// by 1 once a mate score has been seen.
template <Color Us>
void deepen(Searcher& s, PvLine& best, Score& u, u32 rootMoves) {
    bool easyAtDepth[MAX_DEPTH + 2] = {};
    const bool mainThread = s.threadIndex == 0;
    i32 step = mainThread ? 1 : 2;
    for (i32 d = i32(s.threadIndex % 2) + 1; d <= MAX_DEPTH && !s.stopped(); d += step) {
        s.iterationDepth = d;
        Score lower = hasOnlyKing(s.board, ~Us) ? 0 : ((d + 1) & ~1) - MATE_SCORE;
        Score upper = hasOnlyKing(s.board, Us) ? 0 : MATE_SCORE - (d | 1);
        PvLine work;
        copyLine(work, best);
        if (mainThread) easyAtDepth[d] = false;

        Score v = aspirationSearch<Us>(s, u, lower, upper, d, work);
        // The root search only ever replaces the line by a whole new one, so
        // even a stopped iteration leaves a line that starts with a legal move.
        copyLine(best, work);
        u = v;
        if (isMateScore(u)) step = 1;
        if (!mainThread || s.stopped()) continue;

        easyAtDepth[d] = s.easyMove != 0;
        bool easyTwice = easyAtDepth[d] && easyAtDepth[d - 1];
        if (applyStopRules(s, d, u, lower, upper, rootMoves, easyTwice, best)) {
            s.stop.store(1, std::memory_order_relaxed);
        }
    }
}

}  // namespace

template <Color Us>
void Searcher::iterativeDeepening(const Board& gameBoard, Move& bestMove, Move& ponderMove) {
    bestMove = NO_MOVE;
    ponderMove = NO_MOVE;
    // The search continues the game's history, so repetitions of the game count.
    board = gameBoard;
    easyMove = 0;
    iterationDepth = 0;
    const bool timeControl = clock->timeControlOn != 0;
    resetCounters();

    PvLine best{};
    Score u = -MATE_SCORE;
    u32 rootMoves = 0, tablebaseScored = 0;
    scoreRootMoves<Us>(*this, best, u, rootMoves, tablebaseScored);

    if (rootMoves == 0) {
        best.length = 0;
        if (threadIndex == 0) searchInterface->printThinking(*this, 0, -MATE_SCORE, best);
    } else if (tablebaseScored == rootMoves) {
        if (threadIndex == 0) searchInterface->printThinking(*this, 0, u, best);
    } else {
        deepen<Us>(*this, best, u, rootMoves);
    }

    std::fflush(stdout);
    if (threadIndex != 0) return;
    if (timeControl && !aborted.load(std::memory_order_relaxed) && best.length > 0) {
        bestMove = best.moves[0];
        ponderMove = best.length >= 2 ? best.moves[1] : NO_MOVE;
    }
    searchInterface->printSearchStatistics(*this);
}

template <Color Us>
Score Searcher::searchRoot(Score alpha, Score beta, i32 depth, PvLine& pv) {
    CheckerList checkers{};
    const bool inCheck = board.template isInCheck<Us>(checkers);
    bump(nodes);
    Score lo, hi;
    mateDistanceBounds(board, 0, lo, hi);
    if (threadIndex == 0) easyMove = 0;

    MovePicker picker;
    picker.init(inCheck ? PICK_EVASIONS : PICK_FULL_WIDTH, &board, checkers, NO_MOVE);
    if (pv.length > 0) picker.pvMove = pv.moves[0];

    // Time of the first two moves of a deep iteration: the next iteration
    // needs at least about as long again for its first moves.
    const bool timeFirstMoves = !inCheck && depth >= TIME_RULES_FROM_DEPTH;
    const i64 startTime = timeFirstMoves ? timeUsedInSearch(*this) : 0;
    Score best = -MATE_SCORE, secondBest = -MATE_SCORE;
    u32 searched = 0;
    PvLine line;
    copyLine(line, pv);
    for (Move m = picker.template next<Us>(); m != NO_MOVE; m = picker.template next<Us>()) {
        ++searched;
        if (timeFirstMoves && searched == 3) {
            firstMovesTime = i32(timeUsedInSearch(*this) - startTime);
        }
        PvLine child;
        childLineFor(pv, m, child);
        const CheckerList given = checkersAfter<Us>(board, m);
        const bool reduce = !inCheck && depth > 2 && searched > 1 && isQuietMove<Us>(board, m);
        const Score floor = alpha > best ? alpha : best;
        Board::Undo undo;
        playMove<Us>(m, undo);
        Score s;
        if (reduce) {
            s = searchRootChild<Us>(given, floor, beta, depth - 2, searched, child);
            if (s > floor && !stopped()) {
                childLineFor(pv, m, child);
                s = searchRootChild<Us>(given, floor, beta, depth - 1, searched, child);
            }
        } else {
            s = searchRootChild<Us>(given, floor, beta, depth - 1, searched, child);
        }
        board.template unmakeMove<Us>(m, undo);
        if (stopped()) break;
        if (s >= beta) {
            bump(cutoffs);
            if (searched == 1) bump(cutoffsOnFirstMove);
            storeKiller(board, m);
            storeTT(*transpositionTable, board.current().key, age(0), lo, hi, alpha, beta, 0, depth,
                    s, m);
            return s;
        }
        if (s > best) {
            best = s;
            if (s > alpha) {
                setPvLine(line, m, child);
                if (threadIndex == 0) searchInterface->printThinking(*this, depth, s, line);
            }
        } else if (s > secondBest) {
            secondBest = s;
        }
    }
    if (searched == 0) return inCheck ? -MATE_SCORE : 0;
    copyLine(pv, line);
    // A stopped iteration stores nothing: its best is over part of the moves only.
    if (stopped()) return best;
    if (threadIndex == 0 && searched >= 2 && best > secondBest + EASY_MOVE_MARGIN) easyMove = 1;
    storeTT(*transpositionTable, board.current().key, age(0), lo, hi, alpha, beta, 0, depth, best,
            line.length > 0 ? line.moves[0] : NO_MOVE);
    return best;
}

// The position after a root move, searched from the root's view at ply 1 with
// quiet checks in its first quiescence level.
template <Color Us>
Score Searcher::searchRootChild(const CheckerList& checkers, Score alpha, Score beta, i32 depth,
                                u32 moveNumber, PvLine& pv) {
    return searchChild<~Us>(checkers, alpha, beta, 1, false, depth, moveNumber, pv);
}

template void Searcher::iterativeDeepening<WHITE>(const Board&, Move&, Move&);
template void Searcher::iterativeDeepening<BLACK>(const Board&, Move&, Move&);
template Score Searcher::searchRoot<WHITE>(Score, Score, i32, PvLine&);
template Score Searcher::searchRoot<BLACK>(Score, Score, i32, PvLine&);
