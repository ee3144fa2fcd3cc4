// Draws by rule: fifty moves, insufficient material, repetition.
#include "boardbb/board_bb64.h"

bool Board_BB64::isInsufficientMaterial() const {
    if (bitboards[PAWN - 1] | bitboards[ROOK - 1] | bitboards[QUEEN - 1]) return false;
    // A lone king against a king with at most one minor piece; two minors
    // against a king, or a minor on each side, can still be won.
    const int white = popCount(pieces(WHITE)), black = popCount(pieces(BLACK));
    return (white <= 2 && black == 1) || (black <= 2 && white == 1);
}

bool Board_BB64::isDraw(u32& reason) {
    return isDrawByRule(isInsufficientMaterial(), reason);
}
