// The quiescence search: stand pat, captures with delta pruning and a cheap
// losing-capture filter, and at the first level below a full-width node the
// quiet moves that give check.
#include <algorithm>

#include "board/move_picker.h"
#include "board/piece_square.h"
#include "eval/evaluate.h"
#include "search/searcher.h"

template <Color Us>
Score Searcher::qsearch(Score alpha, Score beta, i32 ply, bool skipQuietChecks, PvLine& pv) {
    constexpr Color Them = ~Us;
    if constexpr (!Board::HAS_GIVEN_CHECKS) {
        // The parent could not tell: a side in check goes to the in-check node.
        CheckerList checkers{0, {0, 0}};
        if (board.template isInCheck<Us>(checkers))
            return searchInCheck<Us>(checkers, alpha, beta, ply, skipQuietChecks, 1, pv);
    }
    bump(nodes);
    bump(qsNodes);
    if (stopped() || timeUp()) return TIMEOUT_SCORE;
    u32 reason = 0;
    if (board.isDraw(reason)) return 0;
    Score lo, hi;
    mateDistanceBounds(board, ply, lo, hi);
    alpha = std::max(alpha, lo - 1);
    beta = std::min(beta, hi + 1);
    if (alpha >= beta) return alpha;

    Score best = evaluate(board, pawnHashTable, alpha, beta);
    if (best >= beta || atPlyLimit(ply)) return best;

    MovePicker picker;
    const CheckerList noCheckers{0, {0, 0}};
    picker.init(PICK_QUIESCENCE, &board, noCheckers, NO_MOVE);
    if (pv.length > 0 && isTactical(board, pv.moves[0])) picker.pvMove = pv.moves[0];

    u32 handedOut = 0;
    PvLine child;
    for (Move m = picker.next<Us>(); m != NO_MOVE; m = picker.next<Us>()) {
        const bool first = handedOut++ == 0;
        i32 victim = 0;
        if (isLosingCapture<Us>(board, m, victim)) continue;
        const CheckerList checkers = checkersAfter<Us>(board, m);
        // Delta pruning: a capture that cannot lift the score above alpha is
        // not searched unless it checks.
        if (checkers.count == 0 && best + victim <= alpha) continue;
        childLineFor(pv, m, child);
        board.current().move = m;
        Board::Undo undo;
        board.template makeMove<Us>(m, undo);
        const Score bound = std::max(alpha, best);
        // Quiet checks belong to the first level only: below a capture (and
        // below the evasions of a checking capture) captures alone, or the
        // checks would recur down every capture sequence.
        const Score s = checkers.count != 0
                            ? -searchInCheck<Them>(checkers, -beta, -bound, ply + 1, true, 1, child)
                            : -qsearch<Them>(-beta, -bound, ply + 1, true, child);
        board.template unmakeMove<Us>(m, undo);
        if (stopped()) return TIMEOUT_SCORE;
        if (s >= beta) {
            bump(qsCutoffs);
            if (first) bump(qsCutoffsOnFirstMove);
            return s;
        }
        if (s > best) {
            best = s;
            if (s > alpha) setPvLine(pv, m, child);
        }
    }
    if constexpr (Board::HAS_QUIET_CHECKS) {
        if (skipQuietChecks) return best;
        return searchQuietChecks<Us>(alpha, beta, ply, best, handedOut == 1, pv);
    } else {
        return best;
    }
}

// The quiet checking moves of Us, on a board that generates them. (A template
// on the board class, so that a board without the generator never compiles it.)
template <Color Us, class B>
void generateQuietChecks(B& board, MoveList& list) {
    if constexpr (B::HAS_QUIET_CHECKS) board.template genQuietChecks<Us>(list);
}

template <Color Us>
Score Searcher::searchQuietChecks(Score alpha, Score beta, i32 ply, Score best,
                                  bool oneCaptureHandedOut, PvLine& pv) {
    constexpr Color Them = ~Us;
    MoveList list;
    list.count = 0;
    generateQuietChecks<Us>(board, list);
    // Best piece-square gain first; equal gains keep their order.
    for (u32 i = 0; i < list.count; i++) {
        Move m = list.move(i);
        PieceKind kind = PieceKind(board.kindAt(moveFrom(m)));
        const ScorePair* pst = pieceSquareTable[Us][kind - 1];
        list.setValue(i, pst[moveTo(m)].mg - pst[moveFrom(m)].mg);
    }
    PvLine child;
    for (u32 i = 0; i < list.count; i++) {
        for (u32 j = i + 1; j < list.count; j++)
            if (list.value(j) > list.value(i)) std::swap(list.slots[i], list.slots[j]);
        const Move m = list.move(i);
        const CheckerList checkers = checkersAfter<Us>(board, m);
        if (checkers.count == 0) continue;  // not a check after all
        bump(qsChecks);
        child.length = 0;
        board.current().move = m;
        Board::Undo undo;
        board.template makeMove<Us>(m, undo);
        const Score s =
            -searchInCheck<Them>(checkers, -beta, -std::max(alpha, best), ply + 1, true, 1, child);
        board.template unmakeMove<Us>(m, undo);
        if (stopped()) return TIMEOUT_SCORE;
        if (s >= beta) {
            bump(qsCutoffs);
            if (oneCaptureHandedOut) bump(qsCutoffsOnFirstMove);
            return s;
        }
        if (s > best) {
            best = s;
            if (s > alpha) setPvLine(pv, m, child);
        }
    }
    return best;
}

template Score Searcher::qsearch<WHITE>(Score, Score, i32, bool, PvLine&);
template Score Searcher::qsearch<BLACK>(Score, Score, i32, bool, PvLine&);
