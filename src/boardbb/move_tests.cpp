// The cheap move tests of the search on the bitboard board: the losing-capture
// guard test and the pseudo-legality test of a stored move.
#include "board/exchange_values.h"
#include "boardbb/movegen_detail.h"

using namespace movegen;

template <Color Us>
bool Board_BB64::isLosingCapture(Move m, i32& victimValue) const {
    const Board_BB64& b = *this;
    if (isNeverLosingMove(m, victimValue)) return false;
    const Square to = moveTo(m);
    const u8 victim = b.pieceKinds[to];
    const u8 attacker = b.pieceKinds[moveFrom(m)];
    victimValue = exchangeValueByKind[victim];
    const i32 victimClass = exchangeClassByKind[victim];
    if (victimClass >= exchangeClassByKind[attacker]) return false;

    const Bitboard them = b.pieces(~Us);
    if (pawnAttacks[Us][to] & b.bitboards[PAWN - 1] & them) return true;
    const bool minorGuards = ((attacker == ROOK || attacker == QUEEN) && victim == PAWN) ||
                             (attacker == QUEEN && victimClass <= 4);
    if (!minorGuards) return false;
    if (knightAttacks[to] & b.bitboards[KNIGHT - 1] & them) return true;
    const Bitboard occ = b.occupied();
    if (bishopAttacks(to, occ) & b.bitboards[BISHOP - 1] & them) return true;
    if (attacker == QUEEN && victimClass <= 3 &&
        (rookAttacks(to, occ) & b.bitboards[ROOK - 1] & them))
        return true;
    return false;
}

// ---------------------------------------------------------------------------
// Stored-move validation. A move from the transposition table may be from
// another position (a key collision or a torn entry), so every property that
// the make operations rely on is checked: the mover belongs to the side to
// move, it moves that way (sliders need a clear path), no king is captured,
// and the move word carries exactly the flags that generation would give it.

namespace {

template <Color Us>
bool isPossibleCastling(const Board_BB64& b, Move m) {
    const u32 variant = moveExtra(m);
    if (variant != (Us == WHITE ? 0u : 2u) && variant != (Us == WHITE ? 1u : 3u)) return false;
    const bool kingSide = (variant & 1) == 0;
    const Move word = Us == WHITE ? (kingSide ? CASTLE_WHITE_KING_SIDE : CASTLE_WHITE_QUEEN_SIDE)
                                  : (kingSide ? CASTLE_BLACK_KING_SIDE : CASTLE_BLACK_QUEEN_SIDE);
    if (m != word) return false;
    const Bitboard ownKing = b.pieces(KING, Us);
    if (!ownKing) return false;
    const Square kingSq = relativeSquare<Us>(4);
    if (ownKing & ~squareBit(kingSq)) return false;
    // The king must not stand in check.
    if (squareAttackedBy<~Us>(b.bitboards, Square(kingSq), b.occupied(), b.pieces(~Us)))
        return false;
    const u8 right = u8(1u << variant);
    if (kingSide)
        return castlingPossible<Us>(
            b, right, kingSq, relativeSquare<Us>(7),
            squareBit(relativeSquare<Us>(5)) | squareBit(relativeSquare<Us>(6)),
            relativeSquare<Us>(5), relativeSquare<Us>(6));
    return castlingPossible<Us>(b, right, kingSq, relativeSquare<Us>(0),
                                squareBit(relativeSquare<Us>(1)) |
                                    squareBit(relativeSquare<Us>(2)) |
                                    squareBit(relativeSquare<Us>(3)),
                                relativeSquare<Us>(3), relativeSquare<Us>(2));
}

template <Color Us>
bool isPossiblePawnMove(const Board_BB64& b, Move m) {
    const Square from = moveFrom(m), to = moveTo(m);
    const Bitboard toBit = squareBit(to);
    const Bitboard occ = b.occupied();
    const bool lastRank = (toBit & relativeRank<Us>(7)) != 0;
    const bool push = int(to) == int(from) + forward<Us>() && !(occ & toBit);
    const bool capture = (pawnAttacks[Us][from] & toBit & b.pieces(~Us)) != 0;
    switch (moveKind(m)) {
        case MOVE_PROMOTION:
            return lastRank && (push || capture);
        case MOVE_EN_PASSANT: {
            if (moveExtra(m) != 0 || to != b.epSquare || (occ & toBit) ||
                !(pawnAttacks[Us][from] & toBit))
                return false;
            const int victim = int(to) - forward<Us>();
            return b.pieceKinds[victim] == PAWN && b.pieceColors[victim] == ~Us;
        }
        case MOVE_NORMAL:
            if (moveExtra(m) == 1) {
                const int middle = int(from) + forward<Us>();
                return (squareBit(from) & relativeRank<Us>(1)) &&
                       int(to) == middle + forward<Us>() && !(occ & squareBit(middle)) &&
                       !(occ & toBit);
            }
            return moveExtra(m) == 0 && !lastRank && (push || capture);
        default:
            return false;
    }
}

}  // namespace

template <Color Us>
bool Board_BB64::isMovePseudoLegal(Move m) const {
    const Board_BB64& b = *this;
    const Square from = moveFrom(m), to = moveTo(m);
    if (from == to || b.pieceColors[from] != Us || b.pieceColors[to] == Us) return false;
    if (b.pieceKinds[to] == KING) return false;
    if (b.sideToMove != Us) return false;
    const u8 mover = b.pieceKinds[from];
    if (moveKind(m) == MOVE_CASTLING) return mover == KING && isPossibleCastling<Us>(b, m);
    if (mover == PAWN) return isPossiblePawnMove<Us>(b, m);
    // Pieces make only normal moves without flags.
    if (moveKind(m) != MOVE_NORMAL || moveExtra(m) != 0) return false;
    const Bitboard occ = b.occupied();
    Bitboard reach = 0;
    switch (mover) {
        case KNIGHT:
            reach = knightAttacks[from];
            break;
        case BISHOP:
            reach = bishopAttacks(from, occ);
            break;
        case ROOK:
            reach = rookAttacks(from, occ);
            break;
        case QUEEN:
            reach = queenAttacks(from, occ);
            break;
        case KING:
            reach = kingAttacks[from];
            break;
        default:
            return false;
    }
    return (reach & squareBit(to)) != 0;
}

template bool Board_BB64::isLosingCapture<WHITE>(Move, i32&) const;
template bool Board_BB64::isLosingCapture<BLACK>(Move, i32&) const;
template bool Board_BB64::isMovePseudoLegal<WHITE>(Move) const;
template bool Board_BB64::isMovePseudoLegal<BLACK>(Move) const;
