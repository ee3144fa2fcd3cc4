#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "board_test_util.h"
#include "boardbb/board_bb64.h"

namespace {

class Draw : public ::testing::Test {
   protected:
    void SetUp() override { b = std::make_unique<Board_BB64>(); }
    void set(const char* fen) { ASSERT_TRUE(b->setFEN(fen)) << fen; }
    void play(const std::string& text) {
        UndoRecord undo;
        b->makeMove(moveFromText(*b, text), undo);
    }
    bool draw(u32& reason) { return b->isDraw(reason); }
    std::unique_ptr<Board_BB64> b;
};

TEST_F(Draw, FiftyMoves) {
    u32 reason = 99;
    set("4k3/8/8/8/8/8/8/R3K3 w - - 99 80");
    EXPECT_FALSE(draw(reason));
    EXPECT_EQ(reason, DRAW_NONE);
    set("4k3/8/8/8/8/8/8/R3K3 w - - 100 80");
    EXPECT_TRUE(draw(reason));
    EXPECT_EQ(reason, DRAW_FIFTY_MOVES);
}

TEST_F(Draw, InsufficientMaterial) {
    u32 reason = 0;
    set("4k3/8/8/8/8/8/8/2B1K3 w - - 0 1");
    EXPECT_TRUE(draw(reason));
    EXPECT_EQ(reason, DRAW_INSUFFICIENT_MATERIAL);
    set("4k1n1/8/8/8/8/8/8/4K3 b - - 0 1");
    EXPECT_TRUE(draw(reason));
    EXPECT_EQ(reason, DRAW_INSUFFICIENT_MATERIAL);
    set("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    EXPECT_TRUE(draw(reason));
    set("4k3/8/8/8/8/8/8/1N2K1N1 w - - 0 1");  // two knights
    EXPECT_FALSE(draw(reason));
    set("4kb2/8/8/8/8/8/8/1N2K3 w - - 0 1");  // a minor piece each
    EXPECT_FALSE(draw(reason));
    set("4k3/8/8/8/8/8/7P/4K3 w - - 0 1");
    EXPECT_FALSE(draw(reason));
}

TEST_F(Draw, RepetitionByKnightMoves) {
    set("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    u32 reason = 99;
    for (const char* m : {"g1f3", "g8f6", "f3g1"}) {
        play(m);
        EXPECT_FALSE(draw(reason)) << m;
    }
    play("f6g8");
    EXPECT_TRUE(draw(reason));
    EXPECT_EQ(reason, DRAW_NONE);  // a first repetition
    EXPECT_EQ(b->current().repetitionCount, 1);
    for (const char* m : {"g1f3", "g8f6", "f3g1"}) {
        play(m);
        EXPECT_TRUE(draw(reason)) << m;  // each of these has been seen once before
        EXPECT_EQ(reason, DRAW_NONE);
    }
    play("f6g8");
    EXPECT_TRUE(draw(reason));
    EXPECT_EQ(reason, DRAW_REPETITION);
    EXPECT_EQ(b->current().repetitionCount, 2);
}

TEST_F(Draw, ClockBoundsTheScan) {
    set("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    for (const char* m : {"g1f3", "g8f6", "f3g1", "f6g8"}) play(m);
    u32 reason = 0;
    b->halfMoveClock = 3;  // no repetition is looked for below 4
    EXPECT_FALSE(draw(reason));
    EXPECT_EQ(b->current().repetitionCount, 0);
    // After a pawn move the scan starts over: the position after e2e3 comes
    // back four plies later, while an earlier clock-limited look finds nothing.
    set("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    for (const char* m : {"g1f3", "g8f6", "f3g1", "f6g8", "e2e3", "b8c6", "f1e2", "c6b8"}) play(m);
    EXPECT_FALSE(draw(reason));
    play("e2f1");
    EXPECT_EQ(b->halfMoveClock, 4);
    EXPECT_TRUE(draw(reason));
    EXPECT_EQ(b->current().repetitionCount, 1);
    // A repetition reached within a set-up position's first plies, with a
    // clock larger than the history, reads no record below the first.
    set("4k3/8/8/8/8/8/8/R3K3 w - - 40 60");
    for (const char* m : {"a1a2", "e8d8", "a2a1", "d8e8"}) play(m);
    EXPECT_TRUE(draw(reason));
}

TEST_F(Draw, GetFenAfterMovesCountsFullMoves) {
    set("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    play("e2e4");
    play("c7c5");
    char fen[90];
    b->getFEN(fen);
    EXPECT_STREQ(fen, "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2");
}

}  // namespace
