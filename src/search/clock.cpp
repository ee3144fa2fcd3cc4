#include "search/clock.h"

#include <time.h>

// CLOCK_MONOTONIC never jumps with the wall clock, and 64 bits of centiseconds
// cannot wrap within any plausible uptime.
i64 nowCentiseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return i64(ts.tv_sec) * 100 + i64(ts.tv_nsec) / 10000000;
}

void Clock::start() {
    running = 1;
    startStamp = nowCentiseconds();
}

void Clock::stop() {
    if (!running) return;
    running = 0;
    elapsed += nowCentiseconds() - startStamp;
}

i64 Clock::elapsedTime() const {
    i64 used = elapsed;
    if (running) used += nowCentiseconds() - startStamp;
    return used;
}
