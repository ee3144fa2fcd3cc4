// The time-control record of the search, which the WBEngine fills and the
// ChessPlayer reads.
// All times are in centiseconds.
#pragma once

#include <atomic>

#include "board/types.h"

// Monotonic time in centiseconds (64 bits, never wraps).
i64 nowCentiseconds();

// The search threads read these fields while the command loop may write them
// ("time", "level"), so each is an atomic of its own; no field depends on
// another being read at the same instant.
struct Clock {
    std::atomic<u8> running{0};
    std::atomic<i64> elapsed{0};  // time the engine has used, without the running part
    std::atomic<i64> startStamp{0};
    std::atomic<i64> elapsedAtSearchStart{0};
    std::atomic<i64> maxTime{0};           // budget of the current move (time allocation)
    std::atomic<u32> movesPerSession{40};  // 0 = the whole game is one session
    std::atomic<i64> timePerSession{30000};
    std::atomic<i64> increment{0};
    std::atomic<u8> timeControlOn{1};
    std::atomic<u8> depthLimitOn{0};
    std::atomic<i32> depthLimit{0};

    void start();
    void stop();
    i64 elapsedTime() const;
};
