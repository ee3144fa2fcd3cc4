// Piece values of the losing-capture test that every board class offers:
// classes compared between attacker and victim, and the material a capture
// wins on its square, by PieceKind.
#pragma once

#include "board/types.h"

extern const i32 exchangeClassByKind[7];
extern const i32 exchangeValueByKind[7];

// The moves that the losing-capture test never calls losing: a promotion wins
// the promoted man less the pawn, en passant a pawn, castling nothing. Answers
// false for a normal move, which the board judges by the guards it sees.
inline bool isNeverLosingMove(Move m, i32& victimValue) {
    switch (moveKind(m)) {
        case MOVE_PROMOTION:
            victimValue = exchangeValueByKind[promotionKind(m)] - exchangeValueByKind[PAWN];
            return true;
        case MOVE_EN_PASSANT:
            victimValue = exchangeValueByKind[PAWN];
            return true;
        case MOVE_CASTLING:
            return true;
        default:
            return false;
    }
}
