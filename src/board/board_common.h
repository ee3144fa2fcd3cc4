// The part of every board class that the shared code (evaluation, search,
// driver, perft) reads directly.
#pragma once

#include "board/types.h"

class Board_Common {
   public:
    ScorePair pstSums[2];                 // piece-square sums, White first
    HistoryRecord history[HISTORY_SIZE];  // history[historyIndex] is the current position
    u32 historyIndex;
    HashKey perftKeys[64];  // key stack of the perft make
    u32 perftKeyCount;
    u8 castlingRights;
    u8 epSquare;  // 64 = none
    u8 halfMoveClock;
    u8 sideToMove;  // Color; 2 after resetBoard

    Board_Common();
    virtual HashKey computeSideHashKey(u32 side) const = 0;
    virtual HashKey computePawnHashKey() const = 0;
    virtual ~Board_Common() = default;

    HistoryRecord& current() { return history[historyIndex]; }
    // The draws by rule, given the board's own verdict on the material: fifty
    // moves, then insufficient material, then a repetition of the current
    // position since the last capture, pawn move or null move. A repetition
    // returns true and counts itself in the current record; reason (a
    // DrawReason) names it only from the second repetition on.
    bool isDrawByRule(bool insufficientMaterial, u32& reason);
    const HistoryRecord& current() const { return history[historyIndex]; }
};

// XORs into *key the castling key of every right bit that differs.
void hashCastlingChange(u32 oldRights, u32 newRights, HashKey* key);

// Clock seeding of the random numbers (UTC time of day times time(NULL)).
void seedRandomFromClock();
