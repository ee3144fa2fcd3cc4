// The nodes below the root: the full-width node with its prunings, the
// in-check node, and the child dispatch between them and the quiescence search.
#include "search/searcher.h"

#include <algorithm>

#include "board/move_picker.h"
#include "eval/evaluate.h"
#include "search/search_interface.h"

void Searcher::resetCounters() {
    for (SearchCounter* c : {&nodes, &qsNodes, &qsChecks, &cutoffs, &cutoffsOnFirstMove, &qsCutoffs,
                             &qsCutoffsOnFirstMove, &ttHashHits, &tbHits})
        c->store(0, std::memory_order_relaxed);
    firstMovesTime = 0;
}

void mateDistanceBounds(const Board& board, i32 ply, Score& lo, Score& hi) {
    Color us = Color(board.sideToMove);
    lo = board.menCount(~us) == 1 ? 0 : ply - MATE_SCORE;
    hi = board.menCount(us) == 1 ? 0 : MATE_SCORE - 1 - ply;
}

bool Searcher::timeUp() {
    if (threadIndex != 0 || searchInterface == nullptr) return false;
    // The controller's test sums the counters of every thread, which other
    // threads are writing; asking every 256 nodes of this thread keeps those
    // cache lines quiet. (The controller itself tests the clock only every
    // 4096 nodes of the pool.)
    if ((nodes.load(std::memory_order_relaxed) & (TIME_TEST_INTERVAL - 1)) != 0) return false;
    if (!searchInterface->isTimeout(*this)) return false;
    stop.store(1, std::memory_order_relaxed);
    return true;
}

bool Searcher::probeTablebaseHook(i32, i32, Score&) {
    return false;
}

void Searcher::store(Score lo, Score hi, Score alpha, Score beta, i32 ply, i32 depth, Score score,
                     Move move) {
    // A stopped search's scores are not results: nothing of it goes to the table.
    if (stopped() || transpositionTable == nullptr) return;
    storeTT(*transpositionTable, board.current().key, age(ply), lo, hi, alpha, beta, ply, depth,
            score, move);
}

template <Color Us>
bool Searcher::probe(Score alpha, Score beta, i32 ply, i32 depth, Score& score, Move& hashMove) {
    if (transpositionTable == nullptr) return false;
    bool matched = false;
    bool usable = probeTT(*transpositionTable, board.current().key, alpha, beta, ply, depth, score,
                          hashMove, matched);
    if (matched) bump(ttHashHits);
    return usable;
}

template <Color Us>
bool Searcher::isPlayable(Move move) {
    return isMovePseudoLegal<Us>(board, move) && board.isLegalMoveFull<Us>(move);
}

void childLineFor(const PvLine& pv, Move move, PvLine& child) {
    if (pv.length > 0 && isSameMove(move, pv.moves[0])) {
        child.length = pv.length - 1;
        std::copy(pv.moves + 1, pv.moves + pv.length, child.moves);
    } else {
        child.length = 0;
    }
}

void setPvLine(PvLine& pv, Move move, const PvLine& child) {
    u32 n = std::min<u32>(child.length, MAX_PV_LENGTH - 1);
    pv.moves[0] = move;
    std::copy(child.moves, child.moves + n, pv.moves + 1);
    pv.length = n + 1;
}

template <Color Us>
bool isQuietMove(const Board& board, Move move) {
    constexpr u32 seventhRank = Us == WHITE ? 6 : 1;
    Square from = moveFrom(move), to = moveTo(move);
    if (board.kindAt(to) != EMPTY) return false;
    MoveKind kind = moveKind(move);
    if (kind == MOVE_PROMOTION || kind == MOVE_EN_PASSANT) return false;
    return !(board.kindAt(from) == PAWN && u32(rankOf(to)) == seventhRank);
}

template <Color Us>
Score Searcher::enterNode(Score& alpha, Score& beta, i32 ply, i32 depth, PvLine& pv, Score& lo,
                          Score& hi, Move& hashMove) {
    bump(nodes);
    if (stopped() || timeUp()) return TIMEOUT_SCORE;
    u32 reason = 0;
    if (board.isDraw(reason)) return 0;
    mateDistanceBounds(board, ply, lo, hi);
    alpha = std::max(alpha, lo - 1);
    beta = std::min(beta, hi + 1);
    if (alpha >= beta) {
        store(lo, hi, alpha, beta, ply, depth, alpha, NO_MOVE);
        return alpha;
    }
    Score ttScore = 0;
    if (probe<Us>(alpha, beta, ply, depth, ttScore, hashMove)) {
        // The line is searched first next time without a test of its own, so a
        // move of another position (a key collision) must not get into it.
        if (hashMove != NO_MOVE && isPlayable<Us>(hashMove)) {
            pv.length = 1;
            pv.moves[0] = hashMove;
        }
        return ttScore;
    }
    return NODE_GOES_ON;
}

template <Color Us>
Score Searcher::searchNode(Score alpha, Score beta, i32 ply, i32 depth, PvLine& pv) {
    constexpr Color Them = ~Us;
    if (atPlyLimit(ply)) return evaluate(board, pawnHashTable, alpha, beta);
    if constexpr (!Board::HAS_GIVEN_CHECKS) {
        // The parent could not tell: a side in check goes to the in-check
        // node, one ply deeper (every check is extended).
        CheckerList checkers{0, {0, 0}};
        if (board.template isInCheck<Us>(checkers))
            return searchInCheck<Us>(checkers, alpha, beta, ply, false, depth + 1, pv);
    }
    Score lo, hi;
    Move hashMove = NO_MOVE;
    Score entry = enterNode<Us>(alpha, beta, ply, depth, pv, lo, hi, hashMove);
    if (entry != NODE_GOES_ON) return entry;

    if (board.menCount(WHITE) + board.menCount(BLACK) <= 5) {
        Score tb = 0;
        if (probeTablebaseHook(ply, depth, tb)) {
            bump(tbHits);
            return tb;
        }
    }

    const Score e = evaluate(board, pawnHashTable, alpha, beta);
    const bool nullWindow = alpha + 1 == beta;
    PvLine scratch;

    // Razoring: far below alpha near the horizon, a quiescence search decides.
    if (depth < 4 && nullWindow && hashMove == NO_MOVE && alpha >= -MATE_THRESHOLD - 1 &&
        alpha <= MATE_THRESHOLD - 1) {
        Score t = alpha - RAZOR_MARGIN[depth];
        if (e <= t) {
            scratch.length = 0;
            Score s = qsearch<Us>(t, t + 1, ply, false, scratch);
            if (stopped()) return TIMEOUT_SCORE;
            if (s <= t) return s;
        }
    }

    // Reverse futility: far above beta near the horizon.
    if (depth <= 5 && alpha >= -MATE_THRESHOLD && alpha <= MATE_THRESHOLD &&
        beta >= -MATE_THRESHOLD && beta <= MATE_THRESHOLD &&
        e - REVERSE_FUTILITY_MARGIN[depth] >= beta) {
        Score v = e - REVERSE_FUTILITY_MARGIN[depth];
        store(lo, hi, alpha, beta, ply, depth, v, NO_MOVE);
        return v;
    }

    if (depth >= 2 && nullWindow && e >= beta && nullMoveAllowed<Us>(ply)) {
        Score s = searchNullMove<Us>(beta, ply, depth);
        if (stopped()) return TIMEOUT_SCORE;
        if (s >= beta) {
            Score r = s < MATE_THRESHOLD + 1 ? s : beta;
            store(lo, hi, alpha, beta, ply, depth, r, NO_MOVE);
            return r;
        }
    }

    // Internal iterative deepening: find a move to try first.
    if (hashMove == NO_MOVE && depth > 2 && !nullWindow) {
        scratch.length = 0;
        searchNode<Us>(alpha, beta, ply, depth - 2, scratch);
        if (stopped()) return TIMEOUT_SCORE;
        if (scratch.length > 0) hashMove = scratch.moves[0];
    }

    MovePicker picker;
    const CheckerList noCheckers{0, {0, 0}};
    picker.init(PICK_FULL_WIDTH, &board, noCheckers, NO_MOVE);
    if (ply <= 7) {
        // One reply only: extend.
        if (picker.next<Us>() == NO_MOVE) return 0;
        if (picker.moveList.count == 1) depth += 1;
        picker.restart();
    }
    if (pv.length > 0) picker.pvMove = pv.moves[0];
    picker.hashMove = hashMove;

    Score best = -MATE_SCORE;
    u32 number = 0;
    PvLine child;
    for (Move m = picker.next<Us>(); m != NO_MOVE; m = picker.next<Us>()) {
        number++;
        childLineFor(pv, m, child);
        const CheckerList checkers = checkersAfter<Us>(board, m);
        const bool reduce = depth > 2 && number > 1 && isQuietMove<Us>(board, m);
        Board::Undo undo;
        playMove<Us>(m, undo);
        Score bound = std::max(alpha, best);
        Score s;
        if (reduce) {
            s = searchChild<Them>(checkers, bound, beta, ply + 1, false, depth - 2, number, child);
            if (s > bound && !stopped())
                s = searchChild<Them>(checkers, bound, beta, ply + 1, false, depth - 1, number,
                                      child);
        } else {
            s = searchChild<Them>(checkers, bound, beta, ply + 1, false, depth - 1, number, child);
        }
        board.unmakeMove<Us>(m, undo);
        if (stopped()) return TIMEOUT_SCORE;
        if (s >= beta) {
            countCutoff(number);
            storeKiller(board, m);
            store(lo, hi, alpha, beta, ply, depth, s, m);
            return s;
        }
        if (s > best) {
            best = s;
            if (s > alpha) setPvLine(pv, m, child);
        }
    }
    // No legal move: stalemate, at any ply.
    if (number == 0) return 0;
    store(lo, hi, alpha, beta, ply, depth, best, pv.length > 0 ? pv.moves[0] : NO_MOVE);
    return best;
}

template <Color Us>
bool Searcher::nullMoveAllowed(i32 ply) const {
    // At least one man besides the king and the pawns.
    if (board.menCount(Us) - board.pieceCount(PAWN, Us) <= 1) return false;
    if (ply < 2) return true;
    const HistoryRecord* h = board.history + board.historyIndex;
    return h[-1].move != NO_MOVE || h[-2].move != NO_MOVE;
}

template <Color Us>
Score Searcher::searchNullMove(Score beta, i32 ply, i32 depth) {
    constexpr Color Them = ~Us;
    Board::Undo undo;
    board.makeNullMove(undo);
    i32 n = nullMoveDepth(depth);
    PvLine scratch;
    scratch.length = 0;
    Score s = n > 0 ? -searchNode<Them>(-beta, -beta + 1, ply + 1, n, scratch)
                    : -qsearch<Them>(-beta, -beta + 1, ply + 1, false, scratch);
    board.unmakeNullMove(undo);
    return s;
}

void Searcher::countCutoff(u32 number) {
    bump(cutoffs);
    if (number == 1) bump(cutoffsOnFirstMove);
}

template <Color Us>
Score Searcher::searchInCheck(const CheckerList& checkers, Score alpha, Score beta, i32 ply,
                              bool skipQuietChecks, i32 depth, PvLine& pv) {
    constexpr Color Them = ~Us;
    if (atPlyLimit(ply)) return evaluate(board, pawnHashTable, alpha, beta);
    Score lo, hi;
    Move hashMove = NO_MOVE;
    Score entry = enterNode<Us>(alpha, beta, ply, depth, pv, lo, hi, hashMove);
    if (entry != NODE_GOES_ON) return entry;

    MovePicker picker;
    picker.init(PICK_EVASIONS, &board, checkers, NO_MOVE);
    if (pv.length > 0) picker.pvMove = pv.moves[0];
    picker.hashMove = hashMove;

    Score best = -MATE_SCORE;
    u32 number = 0;
    PvLine child;
    for (Move m = picker.next<Us>(); m != NO_MOVE; m = picker.next<Us>()) {
        number++;
        childLineFor(pv, m, child);
        const CheckerList given = checkersAfter<Us>(board, m);
        Board::Undo undo;
        playMove<Us>(m, undo);
        Score s = searchChild<Them>(given, std::max(alpha, best), beta, ply + 1, skipQuietChecks,
                                    depth - 1, number, child);
        board.unmakeMove<Us>(m, undo);
        if (stopped()) return TIMEOUT_SCORE;
        if (s >= beta) {
            countCutoff(number);
            storeKiller(board, m);
            store(lo, hi, alpha, beta, ply, depth, s, m);
            return s;
        }
        if (s > best) {
            best = s;
            if (s > alpha) setPvLine(pv, m, child);
        }
    }
    if (number == 0) return ply - MATE_SCORE;
    store(lo, hi, alpha, beta, ply, depth, best, pv.length > 0 ? pv.moves[0] : NO_MOVE);
    return best;
}

template <Color Us>
Score Searcher::searchChild(const CheckerList& checkers, Score alpha, Score beta, i32 ply,
                            bool skipQuietChecks, i32 depth, u32 moveNumber, PvLine& pv) {
    if (checkers.count != 0) {
        i32 d = (alpha + 1 != beta || depth < 7) ? depth + 1 : depth;
        return -searchInCheck<Us>(checkers, -beta, -alpha, ply, skipQuietChecks, d, pv);
    }
    if (depth <= 0) return -qsearch<Us>(-beta, -alpha, ply, skipQuietChecks, pv);
    if (moveNumber != 1) {
        Score s = -searchNode<Us>(-alpha - 1, -alpha, ply, depth, pv);
        if (alpha + 1 == beta || s <= alpha) return s;
    }
    return -searchNode<Us>(-beta, -alpha, ply, depth, pv);
}

template Score Searcher::searchNode<WHITE>(Score, Score, i32, i32, PvLine&);
template Score Searcher::searchNode<BLACK>(Score, Score, i32, i32, PvLine&);
template Score Searcher::searchInCheck<WHITE>(const CheckerList&, Score, Score, i32, bool, i32,
                                              PvLine&);
template Score Searcher::searchInCheck<BLACK>(const CheckerList&, Score, Score, i32, bool, i32,
                                              PvLine&);
template Score Searcher::searchChild<WHITE>(const CheckerList&, Score, Score, i32, bool, i32, u32,
                                            PvLine&);
template Score Searcher::searchChild<BLACK>(const CheckerList&, Score, Score, i32, bool, i32, u32,
                                            PvLine&);
template bool Searcher::isPlayable<WHITE>(Move);
template bool Searcher::isPlayable<BLACK>(Move);
template bool isQuietMove<WHITE>(const Board&, Move);
template bool isQuietMove<BLACK>(const Board&, Move);
template bool Searcher::nullMoveAllowed<WHITE>(i32) const;
template bool Searcher::nullMoveAllowed<BLACK>(i32) const;
template Score Searcher::searchNullMove<WHITE>(Score, i32, i32);
template Score Searcher::searchNullMove<BLACK>(Score, i32, i32);
