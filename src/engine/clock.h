// The time-control record that the WBEngine keeps and the ChessPlayer reads.
// All times are in centiseconds.
#pragma once

#include "board/types.h"

// Monotonic time in centiseconds (64 bits, never wraps).
i64 nowCentiseconds();

struct Clock {
    u8 running = 0;
    i64 elapsed = 0;  // time the engine has used, without the running part
    i64 startStamp = 0;
    i64 elapsedAtSearchStart = 0;
    i64 maxTime = 0;  // budget of the current move (time allocation)
    u32 movesPerSession = 40;  // 0 = the whole game is one session
    i64 timePerSession = 30000;
    i64 increment = 0;
    u8 timeControlOn = 1;
    u8 depthLimitOn = 0;
    i32 depthLimit = 0;

    void start();
    void stop();
    i64 elapsedTime() const;
};
