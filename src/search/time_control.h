// Time allocation per move and the time-out rule. Pure functions over the
// clock's settings so that they can be checked without a running search.
// All times are in centiseconds.
#pragma once

#include <ostream>

#include "board/types.h"

struct TimeAllocation {
    u32 movesPerSession;  // 0: the whole game is one session
    i64 timePerSession;
    i64 increment;
    u32 plyCount;
    u32 fullMoveNumber;
    i64 remainingMoves;  // moves up to and including the next time control
    i64 nSessions;       // sessions begun, the current one included
    i64 total;           // time given for the game so far, increments included
    i64 elapsed;         // time the engine has used
    i64 remaining;
    i64 available;  // remaining plus the increments still to come before the control
    i64 maxTime;    // budget of this move
};

// Budget of the move at plyCount with `elapsed` used: 90% of the available
// time spread over the moves left before the next control (32 without one).
TimeAllocation allocateTime(u32 movesPerSession, i64 timePerSession, i64 increment, u32 plyCount,
                            i64 elapsed);

// The four "# " lines of a time allocation; flushed after the third and fourth.
void printTimeAllocation(std::ostream& out, const TimeAllocation& a);

// The first search after "new" may spend more: 1.5 times the budget unless the
// next time control is near (nine moves or fewer away).
bool wantsOutOfBookCorrection(const TimeAllocation& a);
i64 correctedMaxTime(i64 maxTime);

// The search has used its budget once the time since its start reaches maxTime.
inline bool isTimeUsedUp(i64 usedSinceSearchStart, i64 maxTime) {
    return usedSinceSearchStart >= maxTime;
}

// Until its first root move has been searched the search has no searched move
// and may overrun the budget, but not without end: a position full of heavy
// pieces can make that one move take minutes. Past this limit (at most four
// budgets, at most half the time left, at least the budget) the search stops
// anyway and plays the root move that scored best before the search.
inline i64 firstRootMoveLimit(i64 maxTime, i64 remaining) {
    i64 limit = remaining / 2 < 4 * maxTime ? remaining / 2 : 4 * maxTime;
    return limit > maxTime ? limit : maxTime;
}
