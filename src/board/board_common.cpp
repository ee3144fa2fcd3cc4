// The members every board shares, the draws by rule, and the clock seeding of the random numbers.
#include "board/board_common.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

Board_Common::Board_Common() {
    std::memset(pstSums, 0, sizeof pstSums);
    std::memset(history, 0, sizeof history);
    historyIndex = 0;
    std::memset(perftKeys, 0, sizeof perftKeys);
    perftKeyCount = 0;
    castlingRights = 0;
    epSquare = NO_SQUARE;
    halfMoveClock = 0;
    sideToMove = NO_COLOR;
}

bool Board_Common::isDrawByRule(bool insufficientMaterial, u32& reason) {
    reason = DRAW_NONE;
    if (halfMoveClock >= 100) {
        reason = DRAW_FIFTY_MOVES;
        return true;
    }
    if (insufficientMaterial) {
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

void seedRandomFromClock() {
    // The UTC time of day (hour, minute, second, millisecond) times time(NULL),
    // in wrapping 32-bit unsigned arithmetic.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const u32 secondsOfDay = u32(now.tv_sec % 86400);
    const u32 hour = secondsOfDay / 3600, minute = secondsOfDay / 60 % 60,
              second = secondsOfDay % 60;
    const u32 millisecond = u32(now.tv_nsec / 1000000);
    const u32 dayPart = second * 1000u + millisecond + minute * 60000u + hour * 3600000u;
    srand(dayPart * u32(time(nullptr)));
}
