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
    reason = DRAW_NONE;
    if (halfMoveClock >= 100) {
        reason = DRAW_FIFTY_MOVES;
        return true;
    }
    if (isInsufficientMaterial()) {
        reason = DRAW_INSUFFICIENT_MATERIAL;
        return true;
    }
    if (halfMoveClock < 4) return false;
    // Same side to move only (steps of two plies), and never back across a
    // capture, pawn move or null move (the clock bounds the scan).
    const int n = int(historyIndex);
    const int oldest = n - int(halfMoveClock) > 0 ? n - int(halfMoveClock) : 0;
    HistoryRecord& now = history[n];
    for (int i = n - 4; i >= oldest; i -= 2) {
        if (history[i].key != now.key) continue;
        now.repetitionCount = u16(history[i].repetitionCount + 1);
        if (history[i].repetitionCount != 0) reason = DRAW_REPETITION;
        return true;
    }
    return false;
}
