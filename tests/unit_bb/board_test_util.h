// Helpers for board tests: moves from text on a given board, byte snapshots.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "boardbb/board_bb64.h"

// Builds the Move word for coordinate text ("e2e4", "e7e8q") on this board:
// castling, en passant, promotion and the double-step marker from the men.
inline Move moveFromText(const Board_BB64& b, const std::string& text) {
    const Square from = makeSquare(text[0] - 'a', text[1] - '1');
    const Square to = makeSquare(text[2] - 'a', text[3] - '1');
    const u32 kind = b.pieceKinds[from];
    if (kind == KING && (to - from == 2 || from - to == 2)) {
        const u32 variant = (from == 60 ? 2 : 0) + (to < from ? 1 : 0);
        return makeMoveWord(from, to, MOVE_CASTLING, variant);
    }
    if (kind == PAWN && to == b.epSquare) return makeMoveWord(from, to, MOVE_EN_PASSANT);
    if (kind == PAWN && text.size() > 4) {
        const char* letters = PIECE_LETTERS;
        return makePromotion(from, to, PieceKind(std::strchr(letters, text[4]) - letters));
    }
    if (kind == PAWN && (to - from == 16 || from - to == 16))
        return makeMoveWord(from, to, MOVE_NORMAL, 1);
    return makeMoveWord(from, to);
}

// A byte copy of a board, to compare whole objects before and after.
struct BoardBytes {
    std::vector<unsigned char> bytes;
    explicit BoardBytes(const Board_BB64& b)
        : bytes(reinterpret_cast<const unsigned char*>(&b),
                reinterpret_cast<const unsigned char*>(&b) + sizeof b) {}
    // True when the board equals the snapshot, ignoring history records from
    // `ignoreFrom` upwards and perft keys above the top (left behind by makes
    // that were taken back).
    bool sameAs(const Board_BB64& b, u32 ignoreFrom = HISTORY_SIZE) const {
        const BoardBytes now(b);
        const auto offset = [&](const void* p) {
            return size_t(reinterpret_cast<const unsigned char*>(p) -
                          reinterpret_cast<const unsigned char*>(&b));
        };
        const size_t historyEnd = offset(&b.history[0]) + sizeof b.history;
        const size_t historySkip =
            ignoreFrom < HISTORY_SIZE ? offset(&b.history[ignoreFrom]) : historyEnd;
        const size_t perftSkip = b.perftKeyCount < 63
                                     ? offset(&b.perftKeys[b.perftKeyCount + 1])
                                     : offset(&b.perftKeys[0]) + sizeof b.perftKeys;
        const size_t perftEnd = offset(&b.perftKeys[0]) + sizeof b.perftKeys;
        for (size_t i = 0; i < bytes.size(); ++i) {
            if ((i >= historySkip && i < historyEnd) || (i >= perftSkip && i < perftEnd)) continue;
            if (bytes[i] != now.bytes[i]) return false;
        }
        return true;
    }
};

inline ScorePair recountPst(const Board_BB64& b, Color c) {
    ScorePair sum{0, 0};
    for (int sq = 0; sq < 64; ++sq) {
        if (b.pieceColors[sq] != c) continue;
        const ScorePair& v = pieceSquareTable[c][b.pieceKinds[sq] - 1][sq];
        sum.mg = i16(sum.mg + v.mg);
        sum.eg = i16(sum.eg + v.eg);
    }
    return sum;
}
