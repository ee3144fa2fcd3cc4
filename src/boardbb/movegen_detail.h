// Helpers of the move generators: colour-relative masks and steps, the
// board-free legality trial, and the loops that append moves under the add rule.
// Included only by the bitboard board's own sources.
#pragma once

#include "boardbb/board_bb64.h"

namespace movegen {

// Rank r (0 = the side's first rank) seen from the side Us.
template <Color Us>
constexpr Bitboard relativeRank(int r) {
    return RANK_1 << (8 * (Us == WHITE ? r : 7 - r));
}
template <Color Us>
constexpr Square relativeSquare(int sq) {
    return Square(Us == WHITE ? sq : sq ^ 56);
}

// A pawn's forward step, and its two capture steps: the first goes towards
// the a-file for White (+7) and towards the h-file for Black (-7).
template <Color Us>
constexpr int forward() {
    return Us == WHITE ? 8 : -8;
}
template <Color Us>
constexpr int firstCaptureStep() {
    return Us == WHITE ? 7 : -7;
}
template <Color Us>
constexpr int secondCaptureStep() {
    return Us == WHITE ? 9 : -9;
}
// The target squares that a capture step can reach without wrapping a file.
template <Color Us>
constexpr Bitboard firstCaptureTargets() {
    return Us == WHITE ? ~FILE_H : ~FILE_A;
}
template <Color Us>
constexpr Bitboard secondCaptureTargets() {
    return Us == WHITE ? ~FILE_A : ~FILE_H;
}

template <int Step>
constexpr Bitboard shiftBy(Bitboard b) {
    if constexpr (Step > 0)
        return b << Step;
    else
        return b >> -Step;
}

// The legality trial of a non-castling move of Us: is the own king safe in
// the position after it? Decides exactly what a bare make, the attack test on
// the king and a bare unmake decide, without touching the board.
template <Color Us>
inline bool leavesKingSafe(const Board_BB64& b, Square from, Square to, bool enPassant) {
    const Bitboard ownKing = b.pieces(KING, Us);
    if (!ownKing) return true;  // nothing to expose
    const Bitboard fromBit = squareBit(from), toBit = squareBit(to);
    Bitboard occ = (b.occupied() ^ fromBit) | toBit;
    Bitboard them = b.pieces(~Us) & ~toBit;
    if (enPassant) {
        const Bitboard victim = squareBit(to - forward<Us>());
        occ &= ~victim;
        them &= ~victim;
    }
    const int king = (ownKing & fromBit) ? to : lowestSquare(ownKing);
    return !squareAttackedBy<~Us>(b.bitboards, Square(king), occ, them);
}

inline bool needsTrial(const CheckInfo& info, Square from) {
    return info.checkers.count != 0 ||
           ((info.pinnedOrthogonal | info.pinnedDiagonal) & squareBit(from)) != 0;
}

// Moves of the (non-king) man on `from` to every target, ascending.
template <Color Us>
inline void addTargets(const Board_BB64& b, const CheckInfo& info, MoveList& list, Square from,
                       Bitboard targets) {
    if (needsTrial(info, from)) {
        while (targets) {
            const Square to = Square(popLowest(targets));
            if (leavesKingSafe<Us>(b, from, to, false)) list.add(makeMoveWord(from, to));
        }
    } else {
        while (targets) list.add(makeMoveWord(from, Square(popLowest(targets))));
    }
}

// Pawn moves onto every target, each from target - Step; flags 1 marks a double step.
template <Color Us, int Step>
inline void addPawnMoves(const Board_BB64& b, const CheckInfo& info, MoveList& list,
                         Bitboard targets, u32 flags) {
    while (targets) {
        const Square to = Square(popLowest(targets));
        const Square from = Square(to - Step);
        if (needsTrial(info, from) && !leavesKingSafe<Us>(b, from, to, false)) continue;
        list.add(Move(from | (to << 6) | (flags << 14)));
    }
}

// The promotions of one pawn move: queen, knight, rook, bishop (or the queen alone).
template <bool QueenOnly>
inline void addPromotionGroup(MoveList& list, Square from, Square to) {
    list.add(makePromotion(from, to, QUEEN));
    if constexpr (!QueenOnly) {
        list.add(makePromotion(from, to, KNIGHT));
        list.add(makePromotion(from, to, ROOK));
        list.add(makePromotion(from, to, BISHOP));
    }
}

// Promotions onto every target, each from target - Step.
template <Color Us, int Step, bool QueenOnly>
inline void addPromotionGroups(const Board_BB64& b, const CheckInfo& info, MoveList& list,
                               Bitboard targets) {
    while (targets) {
        const Square to = Square(popLowest(targets));
        const Square from = Square(to - Step);
        if (needsTrial(info, from) && !leavesKingSafe<Us>(b, from, to, false)) continue;
        addPromotionGroup<QueenOnly>(list, from, to);
    }
}

// In check: moves of every man of `froms` (ascending) onto `to`, each tried.
template <Color Us>
inline void addMovesFrom(const Board_BB64& b, MoveList& list, Bitboard froms, Square to) {
    while (froms) {
        const Square from = Square(popLowest(froms));
        if (leavesKingSafe<Us>(b, from, to, false)) list.add(makeMoveWord(from, to));
    }
}

template <Color Us>
inline void addPromotionsFrom(const Board_BB64& b, const CheckInfo&, MoveList& list, Bitboard froms,
                              Square to) {
    while (froms) {
        const Square from = Square(popLowest(froms));
        if (leavesKingSafe<Us>(b, from, to, false)) addPromotionGroup<false>(list, from, to);
    }
}

// King steps onto every target, each tried.
template <Color Us>
inline void addKingMoves(const Board_BB64& b, MoveList& list, Bitboard targets) {
    const Bitboard ownKing = b.pieces(KING, Us);
    if (!ownKing) return;
    const Square from = Square(lowestSquare(ownKing));
    Bitboard to = kingAttacks[from] & targets;
    while (to) {
        const Square sq = Square(popLowest(to));
        if (leavesKingSafe<Us>(b, from, sq, false)) list.add(makeMoveWord(from, sq));
    }
}

// A castling of Us: the right held, king and rook at home (a right that a
// position text claimed without them is never acted on), the squares between
// them empty, the transit square not attacked, and the king's target square
// not attacked once king and rook have moved.
template <Color Us>
inline bool castlingPossible(const Board_BB64& b, u8 right, Square kingSq, Square rookSq,
                             Bitboard mustBeEmpty, Square transit, Square target) {
    if (!(b.castlingRights & right)) return false;
    const Bitboard occ = b.occupied();
    if (occ & mustBeEmpty) return false;
    if (!(b.pieces(KING, Us) & squareBit(kingSq)) || !(b.pieces(ROOK, Us) & squareBit(rookSq)))
        return false;
    const Bitboard them = b.pieces(~Us);
    if (squareAttackedBy<~Us>(b.bitboards, Square(transit), occ, them)) return false;
    const Bitboard after =
        (occ ^ squareBit(kingSq) ^ squareBit(rookSq)) | squareBit(target) | squareBit(transit);
    return !squareAttackedBy<~Us>(b.bitboards, Square(target), after, them);
}

}  // namespace movegen
