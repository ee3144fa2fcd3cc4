// Time allocation per move.
#include <gtest/gtest.h>

#include <sstream>

#include "search/time_control.h"

TEST(TimeAllocation, SessionsOfFortyMoves) {
    // 40 moves in 5 minutes, first move: the whole session over 40 moves.
    TimeAllocation a = allocateTime(40, 30000, 0, 0, 0);
    EXPECT_EQ(a.fullMoveNumber, 1u);
    EXPECT_EQ(a.remainingMoves, 40);
    EXPECT_EQ(a.nSessions, 1);
    EXPECT_EQ(a.total, 30000);
    EXPECT_EQ(a.maxTime, 675);
    EXPECT_TRUE(wantsOutOfBookCorrection(a));
    EXPECT_EQ(correctedMaxTime(a.maxTime), 1012);

    // Move 40 is the last of the session: all that is left, less 10%.
    a = allocateTime(40, 30000, 0, 78, 25000);
    EXPECT_EQ(a.fullMoveNumber, 40u);
    EXPECT_EQ(a.remainingMoves, 1);
    EXPECT_EQ(a.nSessions, 1);
    EXPECT_EQ(a.maxTime, 4500);
    EXPECT_FALSE(wantsOutOfBookCorrection(a));

    // Move 41 opens the second session.
    a = allocateTime(40, 30000, 0, 80, 29000);
    EXPECT_EQ(a.remainingMoves, 40);
    EXPECT_EQ(a.nSessions, 2);
    EXPECT_EQ(a.total, 60000);
    EXPECT_EQ(a.remaining, 31000);

    // Nine moves before the control: no out-of-book bonus.
    a = allocateTime(40, 30000, 0, 62, 20000);  // move 32: 9 moves left
    EXPECT_EQ(a.remainingMoves, 9);
    EXPECT_FALSE(wantsOutOfBookCorrection(a));
}

TEST(TimeAllocation, IncrementalGame) {
    TimeAllocation a = allocateTime(0, 12000, 1200, 0, 0);
    EXPECT_EQ(a.remainingMoves, 32);
    EXPECT_EQ(a.nSessions, 1);
    EXPECT_EQ(a.total, 13200);
    EXPECT_EQ(a.available, 50400);
    EXPECT_EQ(a.maxTime, 1417);
    EXPECT_TRUE(wantsOutOfBookCorrection(a));

    // Time overdrawn: the budget goes to zero or below, never wraps.
    a = allocateTime(0, 1000, 0, 100, 1500);
    EXPECT_LT(a.maxTime, 0);
    EXPECT_TRUE(isTimeUsedUp(0, a.maxTime));
}

TEST(TimeAllocation, PrintedLines) {
    // "level 40 5 0" and "time 20000": 10000 centiseconds used.
    std::ostringstream out;
    printTimeAllocation(out, allocateTime(40, 30000, 0, 0, 10000));
    EXPECT_EQ(out.str(),
              "# movesPerSession=40 timePerSession=30000 increment=0\n"
              "# ply=0 fullMoveNumber=1 remainingMoves=40 nSessions=1\n"
              "# total=30000 elapsed=10000 remaining=20000 available=20000 max=450\n"
              "# set maxTime = 450\n");
}

TEST(TimeAllocation, TimeOut) {
    EXPECT_FALSE(isTimeUsedUp(449, 450));
    EXPECT_TRUE(isTimeUsedUp(450, 450));
}
