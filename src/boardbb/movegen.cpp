// Legal move generation of the bitboard board.
//
// Every generator appends only legal moves, in a fixed order (divide prints
// it, so it is part of the contract). A move that could expose the own king
// (side in check, a king move, a pinned man, en passant, castling) is tried
// before it is written; every other move is written at once. The trial is
// done without touching the board: the attack test runs on the occupancy the
// move would leave, with the captured man removed from the attackers. That is
// exactly what a bare make, an attack test and a bare unmake would decide.
#include "boardbb/movegen_detail.h"

using namespace movegen;

// ---------------------------------------------------------------------------
// The add rule.

template <Color Us>
void Board_BB64::addMoveIfLegal(MoveList& list, const CheckInfo& info, Square from, u32 to,
                                u32 flags) {
    const Move m = Move(from | (to << 6) | (flags << 14));
    const bool trial = info.checkers.count != 0 || pieceKinds[from] == KING ||
                       ((info.pinnedOrthogonal | info.pinnedDiagonal) & squareBit(from)) ||
                       moveKind(m) == MOVE_EN_PASSANT;
    if (trial && !leavesKingSafe<Us>(*this, from, moveTo(m), moveKind(m) == MOVE_EN_PASSANT))
        return;
    list.add(m);
}

template <Color Us>
void Board_BB64::addPromotionIfLegal(MoveList& list, const CheckInfo& info, Square from, Square to,
                                     PieceKind kind) {
    if (needsTrial(info, from) && !leavesKingSafe<Us>(*this, from, to, false)) return;
    list.add(makePromotion(from, to, kind));
}

// ---------------------------------------------------------------------------
// Targeted generators.

template <Color Us>
void Board_BB64::genKnightMovesTo(const CheckInfo& info, Bitboard target, MoveList& list) {
    // A pinned knight has no legal move.
    Bitboard knights = pieces(KNIGHT, Us) & ~(info.pinnedOrthogonal | info.pinnedDiagonal);
    while (knights) {
        const Square from = Square(popLowest(knights));
        addTargets<Us>(*this, info, list, from, knightAttacks[from] & target);
    }
}

template <Color Us>
void Board_BB64::genKnightCaptures(const CheckInfo& info, MoveList& list) {
    genKnightMovesTo<Us>(info, pieces(~Us), list);
}

template <Color Us>
void Board_BB64::genSliderMovesTo(const CheckInfo& info, Bitboard target, MoveList& list) {
    const Bitboard occ = occupied();
    const Bitboard own = pieces(Us);
    Bitboard diagonal = (bitboards[BISHOP - 1] | bitboards[QUEEN - 1]) & own;
    while (diagonal) {
        const Square from = Square(popLowest(diagonal));
        addTargets<Us>(*this, info, list, from, bishopAttacks(from, occ) & target);
    }
    Bitboard orthogonal = (bitboards[ROOK - 1] | bitboards[QUEEN - 1]) & own;
    while (orthogonal) {
        const Square from = Square(popLowest(orthogonal));
        addTargets<Us>(*this, info, list, from, rookAttacks(from, occ) & target);
    }
}

template <Color Us>
void Board_BB64::genPawnPushesTo(const CheckInfo& info, Bitboard target, MoveList& list) {
    constexpr int up = forward<Us>();
    const Bitboard empty = ~occupied();
    const Bitboard singles = shiftBy<up>(pieces(PAWN, Us) & relativeRank<Us>(1)) & empty;
    addPawnMoves<Us, up>(*this, info, list, singles & target, 0);
    addPawnMoves<Us, 2 * up>(*this, info, list, shiftBy<up>(singles) & empty & target, 1);
}

// ---------------------------------------------------------------------------
// Stage generators.

template <Color Us, bool QueenOnly>
static void genCapturesImpl(Board_BB64& b, const CheckInfo& info, MoveList& list) {
    constexpr int up = forward<Us>();
    constexpr int capA = firstCaptureStep<Us>();
    constexpr int capH = secondCaptureStep<Us>();
    const Bitboard enemy = b.pieces(~Us);
    const Bitboard pawns = b.pieces(PAWN, Us);
    const Bitboard onSeventh = pawns & relativeRank<Us>(6);
    const Bitboard others = pawns & ~relativeRank<Us>(6);

    addPromotionGroups<Us, up, QueenOnly>(b, info, list, shiftBy<up>(onSeventh) & ~b.occupied());
    addPromotionGroups<Us, capA, QueenOnly>(
        b, info, list, shiftBy<capA>(onSeventh) & firstCaptureTargets<Us>() & enemy);
    addPromotionGroups<Us, capH, QueenOnly>(
        b, info, list, shiftBy<capH>(onSeventh) & secondCaptureTargets<Us>() & enemy);
    addPawnMoves<Us, capA>(b, info, list, shiftBy<capA>(others) & firstCaptureTargets<Us>() & enemy,
                           0);
    addPawnMoves<Us, capH>(b, info, list,
                           shiftBy<capH>(others) & secondCaptureTargets<Us>() & enemy, 0);
    b.genKnightCaptures<Us>(info, list);
    b.genSliderMovesTo<Us>(info, enemy, list);
    addKingMoves<Us>(b, list, enemy);
}

template <Color Us>
void Board_BB64::genCaptures(const CheckInfo& info, MoveList& list) {
    genCapturesImpl<Us, false>(*this, info, list);
}

template <Color Us>
void Board_BB64::genQsCaptures(const CheckInfo& info, MoveList& list) {
    genCapturesImpl<Us, true>(*this, info, list);
}

template <Color Us>
void Board_BB64::genQuiets(const CheckInfo& info, MoveList& list) {
    constexpr int up = forward<Us>();
    const Bitboard empty = ~occupied();
    genKnightMovesTo<Us>(info, empty, list);
    genSliderMovesTo<Us>(info, empty, list);
    addKingMoves<Us>(*this, list, empty);
    const Bitboard middlePawns = pieces(PAWN, Us) & (relativeRank<Us>(2) | relativeRank<Us>(3) |
                                                     relativeRank<Us>(4) | relativeRank<Us>(5));
    addPawnMoves<Us, up>(*this, info, list, shiftBy<up>(middlePawns) & empty, 0);
    genPawnPushesTo<Us>(info, empty, list);
}

template <Color Us>
void Board_BB64::genEnPassant(const CheckInfo&, MoveList& list) {
    if (epSquare >= 64) return;
    Bitboard capturers = pawnAttacks[~Us][epSquare] & pieces(PAWN, Us);
    while (capturers) {
        const Square from = Square(popLowest(capturers));
        if (leavesKingSafe<Us>(*this, from, epSquare, true))
            list.add(makeMoveWord(from, epSquare, MOVE_EN_PASSANT));
    }
}

template <Color Us>
void Board_BB64::genCastlingKingSide(const CheckInfo&, MoveList& list) {
    constexpr Square e = relativeSquare<Us>(4), f = relativeSquare<Us>(5);
    constexpr Square g = relativeSquare<Us>(6), h = relativeSquare<Us>(7);
    constexpr u8 right = Us == WHITE ? WHITE_KING_SIDE : BLACK_KING_SIDE;
    constexpr Move move = Us == WHITE ? CASTLE_WHITE_KING_SIDE : CASTLE_BLACK_KING_SIDE;
    if (castlingPossible<Us>(*this, right, e, h, squareBit(f) | squareBit(g), f, g)) list.add(move);
}

template <Color Us>
void Board_BB64::genCastlingQueenSide(const CheckInfo&, MoveList& list) {
    constexpr Square a = relativeSquare<Us>(0), b = relativeSquare<Us>(1);
    constexpr Square c = relativeSquare<Us>(2), d = relativeSquare<Us>(3);
    constexpr Square e = relativeSquare<Us>(4);
    constexpr u8 right = Us == WHITE ? WHITE_QUEEN_SIDE : BLACK_QUEEN_SIDE;
    constexpr Move move = Us == WHITE ? CASTLE_WHITE_QUEEN_SIDE : CASTLE_BLACK_QUEEN_SIDE;
    if (castlingPossible<Us>(*this, right, e, a, squareBit(b) | squareBit(c) | squareBit(d), d, c))
        list.add(move);
}

template <Color Us>
void Board_BB64::genEvasions(const CheckInfo& info, MoveList& list) {
    const Bitboard own = pieces(Us);
    const Bitboard ownKing = pieces(KING, Us);
    if (!ownKing) return;  // no king to save: nothing is an evasion
    const Square king = Square(lowestSquare(ownKing));
    if (info.checkers.count == 1) {
        const Square c = info.checkers.squares[0];
        const Bitboard occ = occupied();
        genEnPassant<Us>(info, list);
        // Captures of the checker.
        const Bitboard pawnCapturers =
            pawnAttacks[~Us][c] & pieces(PAWN, Us) & ~info.pinnedOrthogonal;
        if (squareBit(c) & relativeRank<Us>(7))
            addPromotionsFrom<Us>(*this, info, list, pawnCapturers, c);
        else
            addMovesFrom<Us>(*this, list, pawnCapturers, c);
        const Bitboard pinned = info.pinnedOrthogonal | info.pinnedDiagonal;
        addMovesFrom<Us>(*this, list, knightAttacks[c] & pieces(KNIGHT, Us) & ~pinned, c);
        addMovesFrom<Us>(*this, list,
                         bishopAttacks(c, occ) & (bitboards[BISHOP - 1] | bitboards[QUEEN - 1]) &
                             own & ~info.pinnedOrthogonal,
                         c);
        addMovesFrom<Us>(*this, list,
                         rookAttacks(c, occ) & (bitboards[ROOK - 1] | bitboards[QUEEN - 1]) & own &
                             ~info.pinnedDiagonal,
                         c);
        // Blocks of a slider's check.
        const u8 checkerKind = pieceKinds[c];
        const Bitboard between = betweenSquares[king][c];
        if (checkerKind >= BISHOP && checkerKind <= QUEEN && between) {
            constexpr int up = forward<Us>();
            genSliderMovesTo<Us>(info, between, list);
            genKnightMovesTo<Us>(info, between, list);
            const Bitboard middlePawns =
                pieces(PAWN, Us) & (relativeRank<Us>(2) | relativeRank<Us>(3) |
                                    relativeRank<Us>(4) | relativeRank<Us>(5));
            addPawnMoves<Us, up>(*this, info, list, shiftBy<up>(middlePawns) & between, 0);
            genPawnPushesTo<Us>(info, between, list);
            const Bitboard pushers = pieces(PAWN, Us) & relativeRank<Us>(6) & ~info.pinnedDiagonal;
            addPromotionGroups<Us, up, false>(*this, info, list,
                                              shiftBy<up>(pushers) & between & ~occ);
        }
    }
    addKingMoves<Us>(*this, list, ~own);
}

template <Color Us>
void Board_BB64::genAllMoves(const CheckInfo& info, MoveList& list) {
    genEnPassant<Us>(info, list);
    genCaptures<Us>(info, list);
    genQuiets<Us>(info, list);
    if (info.checkers.count == 0) {
        genCastlingKingSide<Us>(info, list);
        genCastlingQueenSide<Us>(info, list);
    }
}

// ---------------------------------------------------------------------------
// Counting. Moves that need no trial are counted by their target sets; the
// rest (in check, king, pinned men, en passant, castling) are generated.

template <Color Us>
u32 Board_BB64::countLegalMoves(const CheckInfo& info) {
    MoveList tried;
    tried.count = 0;
    if (info.checkers.count != 0) {
        genEvasions<Us>(info, tried);  // the same moves as genAllMoves in check
        return tried.count;
    }
    constexpr int up = forward<Us>();
    constexpr int capA = firstCaptureStep<Us>();
    constexpr int capH = secondCaptureStep<Us>();
    const Bitboard pinned = info.pinnedOrthogonal | info.pinnedDiagonal;
    const Bitboard occ = occupied(), own = pieces(Us), enemy = pieces(~Us), empty = ~occ;
    const Bitboard lastRank = relativeRank<Us>(7);
    u32 n = 0;

    genEnPassant<Us>(info, tried);
    Bitboard knights = pieces(KNIGHT, Us) & ~pinned;  // a pinned knight never moves
    while (knights) n += popCount(knightAttacks[popLowest(knights)] & ~own);
    Bitboard diagonal = (bitboards[BISHOP - 1] | bitboards[QUEEN - 1]) & own;
    while (diagonal) {
        const Square from = Square(popLowest(diagonal));
        const Bitboard targets = bishopAttacks(from, occ) & ~own;
        if (pinned & squareBit(from))
            addTargets<Us>(*this, info, tried, from, targets);
        else
            n += popCount(targets);
    }
    Bitboard orthogonal = (bitboards[ROOK - 1] | bitboards[QUEEN - 1]) & own;
    while (orthogonal) {
        const Square from = Square(popLowest(orthogonal));
        const Bitboard targets = rookAttacks(from, occ) & ~own;
        if (pinned & squareBit(from))
            addTargets<Us>(*this, info, tried, from, targets);
        else
            n += popCount(targets);
    }
    addKingMoves<Us>(*this, tried, ~own);

    const Bitboard pawns = pieces(PAWN, Us);
    const Bitboard free = pawns & ~pinned;
    const Bitboard singles = shiftBy<up>(free) & empty;
    const Bitboard doubles = shiftBy<up>(singles & relativeRank<Us>(2)) & empty;
    const Bitboard takesA = shiftBy<capA>(free) & firstCaptureTargets<Us>() & enemy;
    const Bitboard takesH = shiftBy<capH>(free) & secondCaptureTargets<Us>() & enemy;
    n += popCount(singles & ~lastRank) + popCount(doubles) + popCount(takesA & ~lastRank) +
         popCount(takesH & ~lastRank);
    n += 4 *
         (popCount(singles & lastRank) + popCount(takesA & lastRank) + popCount(takesH & lastRank));
    const Bitboard held = pawns & pinned;
    if (held) {
        const Bitboard heldSingles = shiftBy<up>(held) & empty;
        addPawnMoves<Us, up>(*this, info, tried, heldSingles & ~lastRank, 0);
        addPromotionGroups<Us, up, false>(*this, info, tried, heldSingles & lastRank);
        addPawnMoves<Us, 2 * up>(*this, info, tried,
                                 shiftBy<up>(heldSingles & relativeRank<Us>(2)) & empty, 1);
        const Bitboard heldA = shiftBy<capA>(held) & firstCaptureTargets<Us>() & enemy;
        const Bitboard heldH = shiftBy<capH>(held) & secondCaptureTargets<Us>() & enemy;
        addPawnMoves<Us, capA>(*this, info, tried, heldA & ~lastRank, 0);
        addPawnMoves<Us, capH>(*this, info, tried, heldH & ~lastRank, 0);
        addPromotionGroups<Us, capA, false>(*this, info, tried, heldA & lastRank);
        addPromotionGroups<Us, capH, false>(*this, info, tried, heldH & lastRank);
    }
    genCastlingKingSide<Us>(info, tried);
    genCastlingQueenSide<Us>(info, tried);
    // A list holds at most 255 moves: the count is what the list would hold.
    const u32 total = n + tried.count;
    return total < MoveList::CAPACITY ? total : MoveList::CAPACITY;
}

// ---------------------------------------------------------------------------
// The twins.

#define TALUN_INSTANTIATE_MOVEGEN(C)                                                              \
    template void Board_BB64::addMoveIfLegal<C>(MoveList&, const CheckInfo&, Square, u32, u32);   \
    template void Board_BB64::addPromotionIfLegal<C>(MoveList&, const CheckInfo&, Square, Square, \
                                                     PieceKind);                                  \
    template void Board_BB64::genCaptures<C>(const CheckInfo&, MoveList&);                        \
    template void Board_BB64::genQsCaptures<C>(const CheckInfo&, MoveList&);                      \
    template void Board_BB64::genQuiets<C>(const CheckInfo&, MoveList&);                          \
    template void Board_BB64::genEvasions<C>(const CheckInfo&, MoveList&);                        \
    template void Board_BB64::genEnPassant<C>(const CheckInfo&, MoveList&);                       \
    template void Board_BB64::genCastlingKingSide<C>(const CheckInfo&, MoveList&);                \
    template void Board_BB64::genCastlingQueenSide<C>(const CheckInfo&, MoveList&);               \
    template void Board_BB64::genAllMoves<C>(const CheckInfo&, MoveList&);                        \
    template void Board_BB64::genKnightMovesTo<C>(const CheckInfo&, Bitboard, MoveList&);         \
    template void Board_BB64::genKnightCaptures<C>(const CheckInfo&, MoveList&);                  \
    template void Board_BB64::genSliderMovesTo<C>(const CheckInfo&, Bitboard, MoveList&);         \
    template void Board_BB64::genPawnPushesTo<C>(const CheckInfo&, Bitboard, MoveList&);          \
    template u32 Board_BB64::countLegalMoves<C>(const CheckInfo&);

TALUN_INSTANTIATE_MOVEGEN(WHITE)
TALUN_INSTANTIATE_MOVEGEN(BLACK)
