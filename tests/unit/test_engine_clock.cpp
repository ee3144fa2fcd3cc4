#include <gtest/gtest.h>

#include <string>

#include "engine/wbengine.h"
#include "search/time_control.h"

namespace {

// Runs one handler with its output captured.
template <typename F>
std::string captured(F&& run) {
    testing::internal::CaptureStdout();
    run();
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(EngineClock, StopAddsTheRunningPartOnlyOnce) {
    Clock c;
    c.stop();  // not running: nothing changes
    EXPECT_EQ(c.elapsed, 0);
    c.elapsed = 500;
    c.start();
    c.startStamp = c.startStamp - 100000;  // pretend 1000 seconds passed
    EXPECT_GE(c.elapsedTime(), 100500);
    c.stop();
    // A minute of room for a busy machine; the running part added twice
    // would be 100000 more.
    i64 afterStop = c.elapsed;
    EXPECT_GE(afterStop, 100500);
    EXPECT_LT(afterStop, 100500 + 6000);
    c.stop();
    EXPECT_EQ(c.elapsed, afterStop);
    EXPECT_EQ(c.elapsedTime(), afterStop);
}

TEST(EngineClock, NowIsMonotonicCentiseconds) {
    i64 a = nowCentiseconds();
    i64 b = nowCentiseconds();
    EXPECT_GE(b, a);
    EXPECT_GT(a, 0);
}

TEST(EngineLevel, SessionsMinutesSecondsAndIncrement) {
    WBEngine e;
    EXPECT_TRUE(e.cmdLevel({"40", "5", "0"}));
    EXPECT_EQ(e.clock.movesPerSession, 40u);
    EXPECT_EQ(e.clock.timePerSession, 30000);
    EXPECT_EQ(e.clock.increment, 0);
    EXPECT_TRUE(e.cmdLevel({"0", "2:30", "1"}));
    EXPECT_EQ(e.clock.movesPerSession, 0u);
    EXPECT_EQ(e.clock.timePerSession, 15000);
    EXPECT_EQ(e.clock.increment, 100);
    EXPECT_TRUE(e.cmdLevel({"0", "2", "12"}));
    EXPECT_EQ(e.clock.timePerSession, 12000);
    EXPECT_EQ(e.clock.increment, 1200);
    EXPECT_TRUE(e.cmdLevel({"0", "1", "0.5"}));  // whole seconds of the increment
    EXPECT_EQ(e.clock.increment, 0);
    EXPECT_TRUE(e.cmdLevel({"0", "1", "2.75"}));
    EXPECT_EQ(e.clock.increment, 200);
    EXPECT_TRUE(e.cmdLevel({"40", ":30", "0"}));  // an empty field is 0
    EXPECT_EQ(e.clock.timePerSession, 3000);
    EXPECT_TRUE(e.cmdLevel({"40", "5:", "0"}));
    EXPECT_EQ(e.clock.timePerSession, 30000);
}

// The largest clock that "level" and "time" accept, late in a long game: the
// budget stays positive and nothing overflows (the sanitizer build checks).
TEST(EngineLevel, LargestAcceptedClockKeepsTheAllocationInRange) {
    WBEngine e;
    ASSERT_TRUE(e.cmdLevel({"1000000", "1000000:100000000", "1000000"}));
    e.player.plyCount = ChessPlayer::MAX_GAME_PLIES - 1;
    ASSERT_TRUE(e.cmdTime({"-1000000000000"}));
    TimeAllocation a = allocateTime(e.clock.movesPerSession, e.clock.timePerSession,
                                    e.clock.increment, e.player.plyCount, e.clock.elapsed);
    EXPECT_GT(a.available, 0);
    EXPECT_GT(a.maxTime, 0);
    // An overdrawn session leaves the first root move no time beyond the budget.
    EXPECT_LT(a.remaining, 0);
    EXPECT_EQ(firstRootMoveLimit(a.maxTime, a.remaining), a.maxTime);
    ASSERT_TRUE(e.cmdTime({"1000000000000"}));
    a = allocateTime(e.clock.movesPerSession, e.clock.timePerSession, e.clock.increment,
                     e.player.plyCount, e.clock.elapsed);
    EXPECT_GT(a.maxTime, 0);
    EXPECT_EQ(firstRootMoveLimit(a.maxTime, a.remaining), 4 * a.maxTime);
}

TEST(EngineLevel, MalformedOrHostileValuesFailAndKeepTheOldValues) {
    WBEngine e;
    ASSERT_TRUE(e.cmdLevel({"30", "3", "2"}));
    for (Args bad : std::vector<Args>{{"40", "1:2:3", "0"},
                                      {"40", "", "0"},
                                      {"40", ":x", "0"},
                                      {"1000000000", "0", "1000000000"},
                                      {"40", "1000001", "0"},
                                      {"-1", "5", "0"},
                                      {"40", "-5", "0"},
                                      {"40", "5", "-1"},
                                      {"40", "5", "x"},
                                      {"x", "5", "0"},
                                      {"40", "99999999999999999999", "0"},
                                      {"40", "5:99999999999999", "0"},
                                      {"40", "5", "."}}) {
        EXPECT_FALSE(e.cmdLevel(bad)) << bad[0] << " " << bad[1] << " " << bad[2];
        EXPECT_EQ(e.clock.movesPerSession, 30u);
        EXPECT_EQ(e.clock.timePerSession, 18000);
        EXPECT_EQ(e.clock.increment, 200);
    }
}

TEST(EngineTime, RemainingTimeBecomesUsedTimeOfTheSession) {
    WBEngine e;
    e.player.plyCount = 80;  // full move 41: the second session of 40 moves
    EXPECT_TRUE(e.cmdTime({"20000"}));
    EXPECT_EQ(e.clock.elapsed, 40000);
    e.player.plyCount = 0;
    ASSERT_TRUE(e.cmdLevel({"0", "1", "2"}));  // one session with 2 s per move
    EXPECT_TRUE(e.cmdTime({"-150"}));          // an overstepped clock comes negative
    EXPECT_EQ(e.clock.elapsed, 6000 + 200 + 150);
    e.clock.elapsed = 7;
    EXPECT_FALSE(e.cmdTime({"abc"}));
    EXPECT_FALSE(e.cmdTime({"99999999999999999999"}));
    EXPECT_EQ(e.clock.elapsed, 7);
}

TEST(EngineDepth, SdAndCores) {
    WBEngine e;
    EXPECT_TRUE(e.cmdSd({"0"}));
    EXPECT_EQ(e.clock.depthLimit, 0);
    EXPECT_TRUE(e.clock.depthLimitOn);
    e.clock.depthLimitOn = 0;
    EXPECT_FALSE(e.cmdSd({"-1"}));
    EXPECT_FALSE(e.cmdSd({"99999999999"}));
    EXPECT_FALSE(e.clock.depthLimitOn);
    e.player.maxCores = 2;
    std::string out = captured([&] { EXPECT_TRUE(e.cmdCores({"3"})); });
    EXPECT_EQ(out, "# will now use 2 cores (requested=3, current=0, max=2)\n");
    EXPECT_FALSE(e.cmdCores({"0"}));
    EXPECT_FALSE(e.cmdCores({"x"}));
}

TEST(EngineOption, RangesTextsAndRefusals) {
    WBEngine e;
    std::string out = captured([&] {
        EXPECT_TRUE(e.cmdOption({"ttHashSizeMB=64"}));
        EXPECT_FALSE(e.cmdOption({"ttHashSizeMB=0"}));
        EXPECT_FALSE(e.cmdOption({"pawnHashSizeMB=2049"}));
        EXPECT_FALSE(e.cmdOption({"pawnHashSizeMB=-1"}));
        EXPECT_TRUE(e.cmdOption({"gtbCacheSizeMB=0"}));
        EXPECT_FALSE(e.cmdOption({"gtbCacheSizeMB=257"}));
        EXPECT_TRUE(e.cmdOption({"gtbPath=/tb/x=y"}));
        EXPECT_TRUE(e.cmdOption({"bookFilePath=my.bin"}));
        EXPECT_FALSE(e.cmdOption({"bookFilePath=" + std::string(256, 'b')}));
        EXPECT_FALSE(e.cmdOption({"foo=1"}));
        EXPECT_FALSE(e.cmdOption({"ttHashSizeMB"}));
        EXPECT_FALSE(e.cmdOption({"ttHashSizeMB="}));
    });
    EXPECT_EQ(out,
              "# setting option: ttHashSizeMB=64\n"
              "Error (illegal value for 'ttHashSizeMB' option): 0\n"
              "Error (illegal value for 'pawnHashSizeMB' option): 2049\n"
              "Error (illegal value for 'pawnHashSizeMB' option): -1\n"
              "# setting option: gtbCacheSizeMB=0\n"
              "Error (illegal value for 'gtbCacheSizeMB' option): 257\n"
              "# setting option: gtbPath=/tb/x=y\n"
              "# setting option: bookFilePath=my.bin\n"
              "Error (illegal value for 'bookFilePath' option): " +
                  std::string(256, 'b') +
                  "\n"
                  "Error (unknown option name): foo\n"
                  "Error (unknown option name): ttHashSizeMB\n"
                  "Error (illegal value for 'ttHashSizeMB' option): \n");
    EXPECT_EQ(e.player.ttHashSizeMB, 64u);
    EXPECT_EQ(e.player.pawnHashSizeMB, 32u);
    EXPECT_EQ(e.player.gtbCacheSizeMB, 0u);
    EXPECT_STREQ(e.player.gtbPath, "/tb/x=y");
    EXPECT_STREQ(e.player.bookFilePath, "my.bin");
}

TEST(EngineOption, EgtPathTypeAndPath) {
    WBEngine e;
    std::string out = captured([&] {
        EXPECT_FALSE(e.cmdEgtPath({"syzygy", "/tb"}));
        EXPECT_TRUE(e.cmdEgtPath({"gaviota", "/tb/gaviota"}));
    });
    EXPECT_EQ(out,
              "# invalid TB type: syzygy\n"
              "# initializing TB: type=gaviota path=/tb/gaviota\n");
    EXPECT_STREQ(e.player.gtbPath, "/tb/gaviota");
}

TEST(EngineSplit, EmptyPiecesStayButNotALastOne) {
    EXPECT_EQ(splitString("a  b", ' '), (Args{"a", "", "b"}));
    EXPECT_EQ(splitString("a ", ' '), (Args{"a"}));
    EXPECT_EQ(splitString("", ' '), Args{});
    EXPECT_EQ(splitString(":30", ':'), (Args{"", "30"}));
}
