// The members every board shares, and the clock seeding of the random numbers.
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
