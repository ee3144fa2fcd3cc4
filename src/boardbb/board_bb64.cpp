// Board state: construction, reset, keys from scratch and the consistency check.
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include "boardbb/board_bb64.h"

namespace {
std::once_flag clockSeedOnce;
}

Board_BB64::Board_BB64() {
    std::memset(bitboards, 0, sizeof bitboards);
    std::memset(pieceKinds, EMPTY, sizeof pieceKinds);
    std::memset(pieceColors, NO_COLOR, sizeof pieceColors);
}

void Board_BB64::initTables() {
    initAttackTables();
    initSliderTables();
    initZobristKeys();
    // The keys are drawn first, so they never depend on the clock.
    std::call_once(clockSeedOnce, seedRandomFromClock);
}

void Board_BB64::resetBoard() {
    initTables();
    std::memset(bitboards, 0, sizeof bitboards);
    std::memset(pieceKinds, EMPTY, sizeof pieceKinds);
    std::memset(pieceColors, NO_COLOR, sizeof pieceColors);
    std::memset(pstSums, 0, sizeof pstSums);
    historyIndex = 0;
    history[0] = HistoryRecord{};
    castlingRights = 0;
    epSquare = NO_SQUARE;
    halfMoveClock = 0;
    sideToMove = NO_COLOR;
}

namespace {
template <Color C>
HashKey sideKeyOf(const Board_BB64* board) {
    HashKey key = 0;
    PieceIterator it = PieceIterator::start<C>(board, KING, PAWN);
    if (it.first<C>() == PieceIterator::NONE) return 0;
    for (; it.square != NO_SQUARE; it.next<C>()) key ^= pieceKeys[C][it.kind - 1][it.square];
    return key;
}
}  // namespace

HashKey Board_BB64::computeSideHashKey(u32 side) const {
    return side == WHITE ? sideKeyOf<WHITE>(this) : sideKeyOf<BLACK>(this);
}

HashKey Board_BB64::computePawnHashKey() const {
    HashKey key = 0;
    for (int c = 0; c < 2; ++c) {
        Bitboard pawns = pieces(PAWN, Color(c));
        while (pawns) key ^= pieceKeys[c][PAWN - 1][popLowest(pawns)];
    }
    return key;
}

HashKey Board_BB64::computeFullKey() const {
    HashKey key = computeSideHashKey(WHITE) ^ computeSideHashKey(BLACK);
    hashCastlingChange(0, castlingRights, &key);
    if (epSquare != NO_SQUARE) key ^= epFileKeys[epSquare & 7];
    if (sideToMove == BLACK) key ^= sideKey;
    return key;
}

bool Board_BB64::isConsistent() const {
    Bitboard kinds = 0;
    for (int k = 0; k < 6; ++k) {
        if (kinds & bitboards[k]) return false;  // a square in two kind bitboards
        kinds |= bitboards[k];
    }
    if ((bitboards[6] & bitboards[7]) || (bitboards[6] | bitboards[7]) != kinds) return false;
    ScorePair sums[2] = {};
    for (int sq = 0; sq < 64; ++sq) {
        const u32 kind = pieceKinds[sq], color = pieceColors[sq];
        const bool occupiedHere = kinds & squareBit(sq);
        if (kind > KING || color > NO_COLOR) return false;
        if ((kind == EMPTY) != (color == NO_COLOR) || (kind != EMPTY) != occupiedHere) return false;
        if (kind == EMPTY) continue;
        if (!(bitboards[kind - 1] & squareBit(sq)) || !(bitboards[6 + color] & squareBit(sq)))
            return false;
        bb64::addScore(sums[color], pieceSquareTable[color][kind - 1][sq]);
    }
    for (int c = 0; c < 2; ++c)
        if (sums[c].mg != pstSums[c].mg || sums[c].eg != pstSums[c].eg) return false;
    if (castlingRights > 15 || sideToMove > NO_COLOR || historyIndex >= HISTORY_SIZE) return false;
    if (epSquare != NO_SQUARE && epSquare > 63) return false;
    return current().key == computeFullKey() && current().pawnKey == computePawnHashKey();
}
