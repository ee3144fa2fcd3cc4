// The quiescence search: stand pat, captures with delta pruning and a cheap
// losing-capture filter, and at the first level below a full-width node the
// quiet moves that give check.
#include <algorithm>

#include "board/move_picker.h"
#include "eval/eval_tables.h"
#include "eval/evaluate.h"
#include "search/searcher.h"

namespace {

template <Color Us>
constexpr int pawnStep() {
    return Us == WHITE ? 8 : -8;
}
template <Color Us>
constexpr Bitboard rankMask(int relativeRank) {
    return Bitboard(0xFF) << (8 * (Us == WHITE ? relativeRank : 7 - relativeRank));
}

// The one-square steps of a man of this kind (king, queen, or a slider along
// its own lines).
inline Bitboard oneSquareSteps(PieceKind kind, int sq) {
    switch (kind) {
        case BISHOP:
            return kingAttacks[sq] & bishopRays[sq];
        case ROOK:
            return kingAttacks[sq] & rookRays[sq];
        default:
            return kingAttacks[sq];
    }
}

void removeDuplicates(MoveList& list) {
    u32 n = 0;
    for (u32 i = 0; i < list.count; i++) {
        bool seen = false;
        for (u32 j = 0; j < n && !seen; j++) seen = list.move(j) == list.move(i);
        if (!seen) list.slots[n++] = list.slots[i];
    }
    list.count = n;
}

}  // namespace

template <Color Us>
void Searcher::generateQuietChecks(MoveList& list) {
    constexpr Color Them = ~Us;
    constexpr int up = pawnStep<Us>();
    const Bitboard lastRank = rankMask<Us>(7);
    const Bitboard startRank = rankMask<Us>(1);
    CheckInfo info{};
    board.computePins<Us>(info);
    info.checkers = CheckerList{0, {0, 0}};
    const int k = board.kingSquare(Them);
    const Bitboard occ = board.occupied();
    const Bitboard empty = ~occ;
    const Bitboard own = board.pieces(Us);
    Bitboard fullyListed = 0;  // men whose every quiet move is listed already

    // Discovered checks: an own man alone between an own slider and the king.
    for (int diagonal = 1; diagonal >= 0; diagonal--) {
        Bitboard sliders =
            diagonal ? (board.pieces(BISHOP, Us) | board.pieces(QUEEN, Us)) & bishopRays[k]
                     : (board.pieces(ROOK, Us) | board.pieces(QUEEN, Us)) & rookRays[k];
        while (sliders) {
            int slider = popLowest(sliders);
            const Bitboard line = betweenSquares[slider][k];
            const Bitboard between = line & occ;
            if (popCount(between) != 1 || !(between & own)) continue;
            const int sq = lowestSquare(between);
            const PieceKind kind = PieceKind(board.pieceKinds[sq]);
            Bitboard targets;
            if (kind == PAWN) {
                const int to = sq + up;
                if (!(squareBit(to) & (occ | line | lastRank))) {
                    board.addMoveIfLegal<Us>(list, info, Square(sq), u32(to), 0);
                    if ((squareBit(sq) & startRank) && !(squareBit(to + up) & occ))
                        board.addMoveIfLegal<Us>(list, info, Square(sq), u32(to + up), 1);
                }
                continue;
            }
            if (kind == KNIGHT) {
                targets = knightAttacks[sq] & empty;
                fullyListed |= squareBit(sq);
            } else if (kind == (diagonal ? ROOK : BISHOP)) {
                targets = (diagonal ? rookAttacks(sq, occ) : bishopAttacks(sq, occ)) & empty;
                fullyListed |= squareBit(sq);
            } else {
                targets = oneSquareSteps(kind, sq) & empty & ~line;
            }
            while (targets)
                board.addMoveIfLegal<Us>(list, info, Square(sq), u32(popLowest(targets)), 0);
        }
    }

    // Direct checks by pawn pushes (no promotions).
    const Bitboard pawnTargets = pawnAttacks[Them][k] & empty & ~lastRank;
    for (Bitboard t = pawnTargets; t;) {
        int to = popLowest(t);
        int from = to - up;  // off the board when the king stands on the far rank
        if (from < 0 || from > 63) continue;
        if ((board.pieces(PAWN, Us) & squareBit(from)) && !(squareBit(from) & startRank))
            board.addMoveIfLegal<Us>(list, info, Square(from), u32(to), 0);
    }
    board.genPawnPushesTo<Us>(info, pawnTargets, list);

    // Knights and sliders onto the squares that see the king.
    const Bitboard knightTargets = knightAttacks[k] & empty;
    const Bitboard diagonalTargets = bishopAttacks(k, occ) & empty;
    const Bitboard orthogonalTargets = rookAttacks(k, occ) & empty;
    for (Bitboard b = board.pieces(KNIGHT, Us) & ~fullyListed; b;) {
        int sq = popLowest(b);
        for (Bitboard t = knightAttacks[sq] & knightTargets; t;)
            board.addMoveIfLegal<Us>(list, info, Square(sq), u32(popLowest(t)), 0);
    }
    for (Bitboard b = (board.pieces(BISHOP, Us) | board.pieces(QUEEN, Us)) & ~fullyListed; b;) {
        int sq = popLowest(b);
        for (Bitboard t = bishopAttacks(sq, occ) & diagonalTargets; t;)
            board.addMoveIfLegal<Us>(list, info, Square(sq), u32(popLowest(t)), 0);
    }
    for (Bitboard b = (board.pieces(ROOK, Us) | board.pieces(QUEEN, Us)) & ~fullyListed; b;) {
        int sq = popLowest(b);
        for (Bitboard t = rookAttacks(sq, occ) & orthogonalTargets; t;)
            board.addMoveIfLegal<Us>(list, info, Square(sq), u32(popLowest(t)), 0);
    }
    // A queen also checks from a diagonal square reached along a line, and the
    // other way round.
    for (Bitboard b = board.pieces(QUEEN, Us); b;) {
        int sq = popLowest(b);
        for (Bitboard t = bishopAttacks(sq, occ) & orthogonalTargets; t;)
            board.addMoveIfLegal<Us>(list, info, Square(sq), u32(popLowest(t)), 0);
        for (Bitboard t = rookAttacks(sq, occ) & diagonalTargets; t;)
            board.addMoveIfLegal<Us>(list, info, Square(sq), u32(popLowest(t)), 0);
    }

    // Castling whose rook lands on a line to the king.
    const Bitboard withoutKing = occ & ~board.pieces(KING, Us);
    const int kingSideRook = Us == WHITE ? 5 : 61;
    const int queenSideRook = Us == WHITE ? 3 : 59;
    if (rookAttacks(kingSideRook, withoutKing) & squareBit(k))
        board.genCastlingKingSide<Us>(info, list);
    if (rookAttacks(queenSideRook, withoutKing) & squareBit(k))
        board.genCastlingQueenSide<Us>(info, list);

    removeDuplicates(list);
}

template <Color Us>
Score Searcher::qsearch(Score alpha, Score beta, i32 ply, bool skipQuietChecks, PvLine& pv) {
    constexpr Color Them = ~Us;
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
        CheckerList checkers{0, {0, 0}};
        board.computeGivenChecks<Us>(m, checkers);
        // Delta pruning: a capture that cannot lift the score above alpha is
        // not searched unless it checks.
        if (checkers.count == 0 && best + victim <= alpha) continue;
        childLineFor(pv, m, child);
        board.current().move = m;
        UndoRecord undo;
        board.makeMove<Us>(m, undo);
        const Score bound = std::max(alpha, best);
        // Quiet checks belong to the first level only: below a capture (and
        // below the evasions of a checking capture) captures alone, or the
        // checks would recur down every capture sequence.
        const Score s = checkers.count != 0
                            ? -searchInCheck<Them>(checkers, -beta, -bound, ply + 1, true, 1, child)
                            : -qsearch<Them>(-beta, -bound, ply + 1, true, child);
        board.unmakeMove<Us>(m, undo);
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
    if (skipQuietChecks) return best;
    return searchQuietChecks<Us>(alpha, beta, ply, best, handedOut == 1, pv);
}

template <Color Us>
Score Searcher::searchQuietChecks(Score alpha, Score beta, i32 ply, Score best,
                                  bool oneCaptureHandedOut, PvLine& pv) {
    constexpr Color Them = ~Us;
    MoveList list;
    list.count = 0;
    generateQuietChecks<Us>(list);
    // Best piece-square gain first; equal gains keep their order.
    for (u32 i = 0; i < list.count; i++) {
        Move m = list.move(i);
        PieceKind kind = PieceKind(board.pieceKinds[moveFrom(m)]);
        const ScorePair* pst = pieceSquareTable[Us][kind - 1];
        list.setValue(i, pst[moveTo(m)].mg - pst[moveFrom(m)].mg);
    }
    PvLine child;
    for (u32 i = 0; i < list.count; i++) {
        for (u32 j = i + 1; j < list.count; j++)
            if (list.value(j) > list.value(i)) std::swap(list.slots[i], list.slots[j]);
        const Move m = list.move(i);
        CheckerList checkers{0, {0, 0}};
        board.computeGivenChecks<Us>(m, checkers);
        if (checkers.count == 0) continue;  // not a check after all
        bump(qsChecks);
        child.length = 0;
        board.current().move = m;
        UndoRecord undo;
        board.makeMove<Us>(m, undo);
        const Score s =
            -searchInCheck<Them>(checkers, -beta, -std::max(alpha, best), ply + 1, true, 1, child);
        board.unmakeMove<Us>(m, undo);
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
template void Searcher::generateQuietChecks<WHITE>(MoveList&);
template void Searcher::generateQuietChecks<BLACK>(MoveList&);
