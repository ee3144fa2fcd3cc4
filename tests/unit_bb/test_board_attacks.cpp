#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "board_test_util.h"
#include "boardbb/board_bb64.h"

namespace {

Square sq(const char* s) {
    return makeSquare(s[0] - 'a', s[1] - '1');
}

class Attacks : public ::testing::Test {
   protected:
    void SetUp() override { b = std::make_unique<Board_BB64>(); }
    void set(const char* fen) { ASSERT_TRUE(b->setFEN(fen)) << fen; }
    Move mv(const std::string& text) const { return moveFromText(*b, text); }
    CheckerList attackersOf(const char* square, Color by) const {
        CheckerList list{};
        if (by == WHITE)
            b->isAttackedBy<WHITE>(sq(square), list);
        else
            b->isAttackedBy<BLACK>(sq(square), list);
        return list;
    }
    CheckInfo checkInfo() const {
        CheckInfo info{};
        if (b->sideToMove == WHITE)
            b->computeCheckInfo<WHITE>(info);
        else
            b->computeCheckInfo<BLACK>(info);
        return info;
    }
    bool legal(const std::string& text) {
        const Move m = mv(text);
        const CheckInfo info = checkInfo();
        const bool quick = b->sideToMove == WHITE ? b->isLegalMove<WHITE>(m, info)
                                                  : b->isLegalMove<BLACK>(m, info);
        const bool full =
            b->sideToMove == WHITE ? b->isLegalMoveFull<WHITE>(m) : b->isLegalMoveFull<BLACK>(m);
        EXPECT_EQ(quick, full) << text;
        EXPECT_TRUE(b->isConsistent());
        return quick;
    }
    // The given checks of a move must be the checkers found after making it.
    std::vector<int> givenChecks(const std::string& text) {
        const Move m = mv(text);
        CheckerList given{};
        if (b->sideToMove == WHITE)
            b->computeGivenChecks<WHITE>(m, given);
        else
            b->computeGivenChecks<BLACK>(m, given);
        UndoRecord undo;
        b->makeMove(m, undo);
        const CheckInfo after = checkInfo();
        EXPECT_EQ(b->inCheck(), after.checkers.count != 0) << text;
        b->unmakeMove(m, undo);
        std::vector<int> a;
        for (u32 i = 0; i < given.count; ++i) a.push_back(given.squares[i]);
        std::vector<int> c(after.checkers.squares, after.checkers.squares + after.checkers.count);
        std::vector<int> sortedA = a, sortedC = c;
        std::sort(sortedA.begin(), sortedA.end());
        std::sort(sortedC.begin(), sortedC.end());
        EXPECT_EQ(sortedA, sortedC) << text;
        return a;
    }
    std::unique_ptr<Board_BB64> b;
};

TEST_F(Attacks, AttackerRecording) {
    // Two White knights attack e5 (from d3 and f3): only the lower square.
    set("4k3/8/8/8/8/3N1N2/8/4K3 b - - 0 1");
    CheckerList list = attackersOf("e5", WHITE);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.squares[0], sq("d3"));
    // Pawn d4, knight f3 and bishop b2 all attack e5: the pawn and the knight are recorded.
    set("4k3/8/8/8/3P4/5N2/1B6/4K3 b - - 0 1");
    list = attackersOf("e5", WHITE);
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(list.squares[0], sq("d4"));
    EXPECT_EQ(list.squares[1], sq("f3"));
    // A full list still answers true.
    EXPECT_TRUE(b->isAttackedBy<WHITE>(sq("e5"), list));
    EXPECT_EQ(list.count, 2);
    EXPECT_FALSE(b->isAttackedBy<WHITE>(sq("h8"), list));
    // Double check by knight and rook: both squares, the knight first.
    set("4r2k/8/8/8/8/3n4/8/4K3 w - - 0 1");
    const CheckInfo info = checkInfo();
    ASSERT_EQ(info.checkers.count, 2);
    EXPECT_EQ(info.checkers.squares[0], sq("d3"));
    EXPECT_EQ(info.checkers.squares[1], sq("e8"));
    EXPECT_TRUE(b->inCheck());
    // Sliders stop at the first man; the king attacks its neighbours.
    set("4k3/8/8/8/4p3/8/8/4R1K1 b - - 0 1");
    EXPECT_FALSE(attackersOf("e8", WHITE).count);
    EXPECT_EQ(attackersOf("e4", WHITE).squares[0], sq("e1"));
    EXPECT_EQ(attackersOf("f2", WHITE).squares[0], sq("g1"));
    EXPECT_EQ(attackersOf("d3", BLACK).squares[0], sq("e4"));
    EXPECT_FALSE(attackersOf("e3", BLACK).count);
}

TEST_F(Attacks, Pins) {
    // Knight e2 pinned by the rook e8, bishop d2 by the bishop a5.
    set("4r1k1/8/8/b7/8/8/3BN3/4K3 w - - 0 1");
    CheckInfo info = checkInfo();
    EXPECT_EQ(info.pinnedOrthogonal, squareBit(sq("e2")));
    EXPECT_EQ(info.pinnedDiagonal, squareBit(sq("d2")));
    EXPECT_EQ(info.checkers.count, 0);
    // Two men between, or an enemy man alone between: no pin.
    set("4r1k1/8/8/b7/8/4N3/2nBN3/4K3 w - - 0 1");
    info = checkInfo();
    EXPECT_EQ(info.pinnedOrthogonal, 0u);
    EXPECT_EQ(info.pinnedDiagonal, squareBit(sq("d2")));
    set("4r1k1/8/8/8/8/8/4n3/4K3 w - - 0 1");
    EXPECT_EQ(checkInfo().pinnedOrthogonal, 0u);
    // A queen pins on both kinds of line.
    set("6k1/8/8/q7/8/8/3R4/q2NK3 w - - 0 1");
    info = checkInfo();
    EXPECT_EQ(info.pinnedOrthogonal, squareBit(sq("d1")));
    EXPECT_EQ(info.pinnedDiagonal, squareBit(sq("d2")));
}

TEST_F(Attacks, Legality) {
    // An en-passant capture that opens the rank to the own king is refused,
    // though the capturing pawn is not pinned.
    set("8/8/8/KPp4r/8/8/8/6k1 w - c6 0 1");
    EXPECT_EQ(checkInfo().pinnedOrthogonal, 0u);
    EXPECT_FALSE(legal("b5c6"));
    EXPECT_TRUE(legal("b5b6"));
    // King moves along the line of a checking rook: away from it and towards it
    // stay in check; stepping off the line or taking the checker is fine.
    set("4k3/8/8/8/8/8/8/r3K3 w - - 0 1");
    EXPECT_FALSE(legal("e1f1"));
    EXPECT_FALSE(legal("e1d1"));
    EXPECT_TRUE(legal("e1e2"));
    set("4k3/8/8/8/4r3/8/8/4K3 w - - 0 1");
    EXPECT_FALSE(legal("e1e2"));
    EXPECT_TRUE(legal("e1d1"));
    set("4k3/8/8/8/8/8/4r3/4K3 w - - 0 1");
    EXPECT_TRUE(legal("e1e2"));
    // Pinned men move only along the pin; other men and the king move freely.
    set("4r1k1/8/8/b7/8/8/3BN3/4K3 w - - 0 1");
    EXPECT_FALSE(legal("e2c3"));
    EXPECT_FALSE(legal("d2e3"));
    EXPECT_TRUE(legal("d2c3"));
    EXPECT_TRUE(legal("d2a5"));
    EXPECT_TRUE(legal("e1f2"));
    EXPECT_TRUE(legal("e1f1"));
    // In check by a knight: only moves that answer it.
    set("4k3/8/8/8/8/3n4/8/R3K3 w Q - 0 1");
    EXPECT_FALSE(legal("a1a8"));
    EXPECT_FALSE(legal("e1f2"));
    EXPECT_TRUE(legal("e1d2"));
    EXPECT_TRUE(legal("e1f1"));
    EXPECT_TRUE(legal("e1e2"));
    // Black's side of the en-passant case.
    set("6K1/8/8/8/kPp4R/8/8/8 b - b3 0 1");
    EXPECT_FALSE(legal("c4b3"));
    EXPECT_TRUE(legal("c4c3"));
}

TEST_F(Attacks, GivenChecks) {
    // Castling puts the rook on the king's file; its arrival square is recorded.
    set("5k2/8/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_EQ(givenChecks("e1g1"), std::vector<int>{sq("f1")});
    set("3k4/8/8/8/8/8/8/R3K3 w Q - 0 1");
    EXPECT_EQ(givenChecks("e1c1"), std::vector<int>{sq("d1")});
    set("r3k3/8/8/8/8/8/8/3K4 b q - 0 1");
    EXPECT_EQ(givenChecks("e8c8"), std::vector<int>{sq("d8")});
    set("4k2r/8/8/8/8/8/8/5K2 b k - 0 1");
    EXPECT_EQ(givenChecks("e8g8"), std::vector<int>{sq("f8")});
    // En passant opening a rank, or a diagonal, towards the enemy king.
    set("8/8/8/R2pP2k/8/8/8/4K3 w - d6 0 1");
    EXPECT_EQ(givenChecks("e5d6"), std::vector<int>{sq("a5")});
    set("7k/8/8/3pP3/8/8/8/B3K3 w - d6 0 1");
    EXPECT_EQ(givenChecks("e5d6"), std::vector<int>{sq("a1")});
    // Promotions: a knight checks by its jumps, a queen along its lines.
    set("1r6/2P5/3k4/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(givenChecks("c7c8n"), std::vector<int>{sq("c8")});
    EXPECT_EQ(givenChecks("c7b8n"), std::vector<int>{});
    EXPECT_EQ(givenChecks("c7b8q"), std::vector<int>{sq("b8")});
    EXPECT_EQ(givenChecks("c7c8q"), std::vector<int>{});
    EXPECT_EQ(givenChecks("c7c8r"), std::vector<int>{});
    // A capturing promotion keeps the square occupied: the rook behind stays blocked.
    set("k1b4R/3P4/8/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(givenChecks("d7c8n"), std::vector<int>{});
    EXPECT_EQ(givenChecks("d7c8q"), std::vector<int>{sq("c8")});
    // A pawn's direct check.
    set("8/8/8/3k4/8/4P3/8/4K3 w - - 0 1");
    EXPECT_EQ(givenChecks("e3e4"), std::vector<int>{sq("e4")});
}

TEST_F(Attacks, DiscoveredAndDoubleChecks) {
    // A knight move uncovering a rook: on a checking square it is a double
    // check with the knight first, elsewhere a discovered check alone.
    set("4k3/8/8/8/4N3/8/8/4R1K1 w - - 0 1");
    EXPECT_EQ(givenChecks("e4d6"), (std::vector<int>{sq("d6"), sq("e1")}));
    EXPECT_EQ(givenChecks("e4f6"), (std::vector<int>{sq("f6"), sq("e1")}));
    EXPECT_EQ(givenChecks("e4c3"), (std::vector<int>{sq("e1")}));
    EXPECT_EQ(givenChecks("e4g5"), (std::vector<int>{sq("e1")}));
    // A pawn's double step uncovering a bishop.
    set("7k/8/8/8/8/8/1P6/B3K3 w - - 0 1");
    EXPECT_EQ(givenChecks("b2b4"), (std::vector<int>{sq("a1")}));
    EXPECT_EQ(givenChecks("b2b3"), (std::vector<int>{sq("a1")}));
    // Black: a bishop move uncovering a queen on the file.
    set("4q1k1/8/8/8/4b3/8/8/4K3 b - - 0 1");
    EXPECT_EQ(givenChecks("e4f3"), (std::vector<int>{sq("e8")}));
    EXPECT_EQ(givenChecks("e4d3"), (std::vector<int>{sq("e8")}));
    EXPECT_EQ(givenChecks("e4c2"), (std::vector<int>{sq("e8")}));
}

}  // namespace
