// The quiet moves that give check, for the first quiescence level: discovered
// checks, direct checks by pawns, knights and sliders, and castlings whose
// rook lands on a line to the enemy king. No promotions, no captures.
#include "boardbb/movegen_detail.h"

using namespace movegen;

namespace {

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
void Board_BB64::genQuietChecks(MoveList& list) {
    Board_BB64& board = *this;
    constexpr Color Them = ~Us;
    constexpr int up = forward<Us>();
    const Bitboard lastRank = relativeRank<Us>(7);
    const Bitboard startRank = relativeRank<Us>(1);
    CheckInfo info{};
    board.template computePins<Us>(info);
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
                    board.template addMoveIfLegal<Us>(list, info, Square(sq), u32(to), 0);
                    if ((squareBit(sq) & startRank) && !(squareBit(to + up) & occ))
                        board.template addMoveIfLegal<Us>(list, info, Square(sq), u32(to + up), 1);
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
                board.template addMoveIfLegal<Us>(list, info, Square(sq), u32(popLowest(targets)),
                                                  0);
        }
    }

    // Direct checks by pawn pushes (no promotions).
    const Bitboard pawnTargets = pawnAttacks[Them][k] & empty & ~lastRank;
    for (Bitboard t = pawnTargets; t;) {
        int to = popLowest(t);
        int from = to - up;  // off the board when the king stands on the far rank
        if (from < 0 || from > 63) continue;
        if ((board.pieces(PAWN, Us) & squareBit(from)) && !(squareBit(from) & startRank))
            board.template addMoveIfLegal<Us>(list, info, Square(from), u32(to), 0);
    }
    board.template genPawnPushesTo<Us>(info, pawnTargets, list);

    // Knights and sliders onto the squares that see the king.
    const Bitboard knightTargets = knightAttacks[k] & empty;
    const Bitboard diagonalTargets = bishopAttacks(k, occ) & empty;
    const Bitboard orthogonalTargets = rookAttacks(k, occ) & empty;
    for (Bitboard b = board.pieces(KNIGHT, Us) & ~fullyListed; b;) {
        int sq = popLowest(b);
        for (Bitboard t = knightAttacks[sq] & knightTargets; t;)
            board.template addMoveIfLegal<Us>(list, info, Square(sq), u32(popLowest(t)), 0);
    }
    for (Bitboard b = (board.pieces(BISHOP, Us) | board.pieces(QUEEN, Us)) & ~fullyListed; b;) {
        int sq = popLowest(b);
        for (Bitboard t = bishopAttacks(sq, occ) & diagonalTargets; t;)
            board.template addMoveIfLegal<Us>(list, info, Square(sq), u32(popLowest(t)), 0);
    }
    for (Bitboard b = (board.pieces(ROOK, Us) | board.pieces(QUEEN, Us)) & ~fullyListed; b;) {
        int sq = popLowest(b);
        for (Bitboard t = rookAttacks(sq, occ) & orthogonalTargets; t;)
            board.template addMoveIfLegal<Us>(list, info, Square(sq), u32(popLowest(t)), 0);
    }
    // A queen also checks from a diagonal square reached along a line, and the
    // other way round.
    for (Bitboard b = board.pieces(QUEEN, Us); b;) {
        int sq = popLowest(b);
        for (Bitboard t = bishopAttacks(sq, occ) & orthogonalTargets; t;)
            board.template addMoveIfLegal<Us>(list, info, Square(sq), u32(popLowest(t)), 0);
        for (Bitboard t = rookAttacks(sq, occ) & diagonalTargets; t;)
            board.template addMoveIfLegal<Us>(list, info, Square(sq), u32(popLowest(t)), 0);
    }

    // Castling whose rook lands on a line to the king.
    const Bitboard withoutKing = occ & ~board.pieces(KING, Us);
    const int kingSideRook = Us == WHITE ? 5 : 61;
    const int queenSideRook = Us == WHITE ? 3 : 59;
    if (rookAttacks(kingSideRook, withoutKing) & squareBit(k))
        board.template genCastlingKingSide<Us>(info, list);
    if (rookAttacks(queenSideRook, withoutKing) & squareBit(k))
        board.template genCastlingQueenSide<Us>(info, list);

    removeDuplicates(list);
}

template void Board_BB64::genQuietChecks<WHITE>(MoveList&);
template void Board_BB64::genQuietChecks<BLACK>(MoveList&);
