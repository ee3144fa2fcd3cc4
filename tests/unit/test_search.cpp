#include <gtest/gtest.h>

#include "test_search_support.h"

// Checks are extended and quiet checks searched at the horizon, so a mate may
// show before its full depth; it is never reported shorter than it is, and it
// is there at its own depth.
TEST(SearchMates, MateInTwoByDepthThree) {
    TestSearch t("k7/8/2K5/8/8/8/8/7R w - - 0 1");
    PvLine pv;
    for (i32 d = 1; d <= 3; d++) EXPECT_LE(t.searchTo(d, pv), MATE_SCORE - 3);
    EXPECT_EQ(t.searchTo(3, pv), MATE_SCORE - 3);
    ASSERT_GE(pv.length, 1u);
    EXPECT_EQ(moveText(pv.moves[0]).substr(0, 2), "c6");
}

TEST(SearchMates, MateInThreeWithASacrificeByDepthFive) {
    // By depth five only with given checks and quiet checks in quiescence:
    // without them razoring cuts the quiet second check.
    TALUN_SKIP_UNLESS(Board::HAS_GIVEN_CHECKS && Board::HAS_QUIET_CHECKS);
    // Black mates in three: Bc5+ Kxc5 Qb6+ Kd5 Qd6#.
    TestSearch t("r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1");
    PvLine pv;
    for (i32 d = 1; d <= 5; d++) EXPECT_LE(t.searchTo(d, pv), MATE_SCORE - 5);
    EXPECT_EQ(t.searchTo(5, pv), MATE_SCORE - 5);
    EXPECT_EQ(moveText(pv.moves[0]), "f8c5");
}

TEST(SearchMates, NoLegalMoveScoresMateOrStalemateAtAnyPly) {
    {
        TestSearch t("k7/8/1Q6/8/8/8/8/7K b - - 0 1");  // stalemate
        PvLine pv{0, {}};
        for (i32 ply : {1, 3, 9, 20})
            EXPECT_EQ(t.searcher->searchNode<BLACK>(-100, 100, ply, 2, pv), 0);
    }
    {
        TestSearch t("k7/1Q6/1K6/8/8/8/8/8 b - - 0 1");  // mated
        PvLine pv{0, {}};
        CheckerList c = checkersOf(t.board());
        ASSERT_EQ(c.count, 1);
        for (i32 ply : {1, 5, 12})
            EXPECT_EQ(
                t.searcher->searchInCheck<BLACK>(c, -MATE_SCORE, MATE_SCORE, ply, false, 1, pv),
                ply - MATE_SCORE);
    }
}

TEST(SearchMates, MateDistanceBoundsWithBareKings) {
    TestSearch t("k7/8/2K5/8/8/8/8/7R w - - 0 1");
    Score lo, hi;
    mateDistanceBounds(t.board(), 4, lo, hi);
    EXPECT_EQ(lo, 0);  // the opponent has only its king
    EXPECT_EQ(hi, 31995);
    TestSearch u("k7/8/2K5/8/8/8/8/7R b - - 0 1");
    mateDistanceBounds(u.board(), 4, lo, hi);
    EXPECT_EQ(lo, 4 - MATE_SCORE);
    EXPECT_EQ(hi, 0);  // the side to move has only its king
}

TEST(SearchDeterminism, FixedDepthRepeatsExactly) {
    const char* fen = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8";
    u64 nodes[2];
    std::string lines[2];
    Score scores[2];
    for (int run = 0; run < 2; run++) {
        TestSearch t(fen);
        PvLine pv;
        scores[run] = t.searchTo(6, pv);
        nodes[run] = t.nodes();
        for (u32 i = 0; i < pv.length; i++) lines[run] += moveText(pv.moves[i]) + " ";
        EXPECT_TRUE(t.board().isConsistent());
    }
    EXPECT_EQ(nodes[0], nodes[1]);
    EXPECT_EQ(lines[0], lines[1]);
    EXPECT_EQ(scores[0], scores[1]);
    EXPECT_GT(nodes[0], 1000u);
}

TEST(SearchNullMove, OnlyWithPiecesAndNotTwiceInARow) {
    TestSearch pawns("4k3/4p3/8/8/8/8/4P3/4K3 w - - 0 1");
    EXPECT_FALSE(pawns.searcher->nullMoveAllowed<WHITE>(1));
    TestSearch knight("4k3/4p3/8/8/8/8/4P3/4KN2 w - - 0 1");
    Searcher& s = *knight.searcher;
    EXPECT_TRUE(s.nullMoveAllowed<WHITE>(1));
    // Two null moves on the path before this node: not a third.
    UndoRecord u1, u2;
    s.board.makeNullMove(u1);
    s.board.makeNullMove(u2);
    EXPECT_FALSE(s.nullMoveAllowed<WHITE>(2));
    EXPECT_TRUE(s.nullMoveAllowed<WHITE>(1));  // plies 0 and 1 always may
    s.board.history[s.board.historyIndex - 2].move = makeMoveWord(5, 22);
    EXPECT_TRUE(s.nullMoveAllowed<WHITE>(2));
}

TEST(SearchNullMove, ReducedDepths) {
    EXPECT_EQ(nullMoveDepth(6), 1);
    EXPECT_EQ(nullMoveDepth(8), 2);
    EXPECT_EQ(nullMoveDepth(16), 9);
    for (i32 d = 2; d <= 5; d++) EXPECT_LE(nullMoveDepth(d), 0) << d;
}

TEST(SearchNullMove, TakeBackRestoresEverything) {
    // Castling rights, an en-passant square and a half-move clock to restore.
    TestSearch t("r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq d6 0 12");
    Board& b = t.board();
    b.halfMoveClock = 7;
    const u32 index = b.historyIndex;
    const HashKey key = b.current().key;
    UndoRecord undo;
    b.makeNullMove(undo);
    EXPECT_EQ(epSquareOf(b), NO_SQUARE);
    EXPECT_EQ(b.halfMoveClock, 0);
    b.unmakeNullMove(undo);
    EXPECT_EQ(b.historyIndex, index);
    EXPECT_EQ(b.current().key, key);
    EXPECT_EQ(b.sideToMove, WHITE);
    EXPECT_EQ(b.castlingRights, 15);
    EXPECT_EQ(epSquareOf(b), 43);
    EXPECT_EQ(b.halfMoveClock, 7);
    EXPECT_TRUE(b.isConsistent());
    // And through the search's own null-move step.
    t.searcher->searchNullMove<WHITE>(50, 1, 6);
    EXPECT_EQ(epSquareOf(b), 43);
    EXPECT_EQ(b.castlingRights, 15);
    EXPECT_EQ(b.halfMoveClock, 7);
    EXPECT_EQ(b.historyIndex, index);
}

TEST(SearchStop, StoppedSearchAnswersTimeoutAndStoresNothing) {
    TestSearch t("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8");
    t.searcher->stop.store(1);
    PvLine pv{0, {}};
    EXPECT_EQ(t.searcher->searchNode<WHITE>(-MATE_SCORE, MATE_SCORE, 1, 5, pv), TIMEOUT_SCORE);
    EXPECT_EQ(t.searcher->qsearch<WHITE>(-MATE_SCORE, MATE_SCORE, 1, false, pv), TIMEOUT_SCORE);
    EXPECT_LE(t.nodes(), 2u);
    for (u32 i = 0; i < t.table->entryCount; i++) ASSERT_EQ(t.table->entries[i].key(), 0u);
}

// A controller whose time runs out after a number of time tests.
class TimeoutAfter : public NeverTimeout {
   public:
    explicit TimeoutAfter(int n) : left(n) {}
    bool isTimeout(Searcher&) override {
        calls++;
        return --left <= 0;
    }
    int left;
    int calls = 0;
};

TEST(SearchStop, TimeoutStopsEveryLevelAfterOneTest) {
    TestSearch t("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8");
    TimeoutAfter controller(300);
    t.searcher->searchInterface = &controller;
    PvLine pv;
    EXPECT_EQ(t.searchTo(30, pv), TIMEOUT_SCORE);
    // The first positive test is the last one: nothing asks again once stopped,
    // and the search unwinds at once.
    EXPECT_EQ(controller.calls, 300);
    EXPECT_LE(t.nodes(), 300 * TIME_TEST_INTERVAL + 30);  // + one per later depth
    EXPECT_TRUE(t.board().isConsistent());
    EXPECT_EQ(t.board().historyIndex, 0u);
}

TEST(SearchLimits, PliesNearTheLimitAndAFullHistoryDoNotOverrun) {
    TestSearch t("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8");
    PvLine pv{0, {}};
    Score s = t.searcher->searchNode<WHITE>(-MATE_SCORE, MATE_SCORE, MAX_SEARCH_PLY - 2, 6, pv);
    EXPECT_LT(std::abs(s), MATE_THRESHOLD);
    EXPECT_LE(pv.length, u32(MAX_PV_LENGTH));
    // A game position close to the end of the history: the search stays inside it.
    Board& b = t.board();
    b.historyIndex = HISTORY_SIZE - 6;
    b.history[b.historyIndex] = b.history[0];
    s = t.searcher->searchNode<WHITE>(-MATE_SCORE, MATE_SCORE, 1, 8, pv);
    EXPECT_LT(std::abs(s), MATE_THRESHOLD);
    EXPECT_EQ(b.historyIndex, HISTORY_SIZE - 6);
}

TEST(Quiescence, StandPatAtOrAboveBetaGeneratesNothing) {
    // White is a queen up; beta far below.
    TestSearch t("4k3/8/8/3p4/4P3/8/8/3QK3 w - - 0 1");
    PvLine pv;
    Score s = t.qsearch(-500, -400, false, pv);
    EXPECT_GE(s, -400);
    EXPECT_EQ(t.qsNodes(), 1u);
    EXPECT_EQ(s, evaluate(t.board(), t.pawnHash.get(), -500, -400));
}

TEST(Quiescence, DeltaAndLosingCapturesAreNotSearched) {
    // exd5 wins a pawn, but alpha is far above stand pat plus a pawn.
    TestSearch t("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1");
    PvLine pv;
    Score standPat = evaluate(t.board(), t.pawnHash.get(), 1000, 1001);
    Score s = t.qsearch(1000, 1001, true, pv);
    EXPECT_EQ(s, standPat);
    EXPECT_EQ(t.qsNodes(), 1u);
    // A queen taking a pawn guarded by a pawn is skipped as losing.
    TestSearch q("4k3/2p5/3p4/8/8/8/8/3QK3 w - - 0 1");
    s = q.qsearch(-MATE_SCORE, MATE_SCORE, true, pv);
    EXPECT_EQ(q.qsNodes(), 1u);
    // Within reach of alpha the capture is searched.
    TestSearch c("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1");
    c.qsearch(-50, 50, true, pv);
    EXPECT_GT(c.qsNodes(), 1u);
}

TEST(Quiescence, QuietKnightMateOnlyAtTheFirstLevel) {
    TALUN_SKIP_UNLESS(Board::HAS_QUIET_CHECKS);
    TestSearch t("6rk/6pp/8/6N1/8/8/8/6K1 w - - 0 1");  // Nf7#
    PvLine pv;
    EXPECT_EQ(t.qsearch(-MATE_SCORE, MATE_SCORE, false, pv), MATE_SCORE - 2);
    ASSERT_GE(pv.length, 1u);
    EXPECT_EQ(moveText(pv.moves[0]), "g5f7");
    EXPECT_EQ(t.searcher->qsChecks.load(), 1u);
    TestSearch u("6rk/6pp/8/6N1/8/8/8/6K1 w - - 0 1");
    EXPECT_LT(u.qsearch(-MATE_SCORE, MATE_SCORE, true, pv), MATE_THRESHOLD);
    EXPECT_EQ(u.searcher->qsChecks.load(), 0u);
    // Below a first-level capture (Nxd5) captures only: Black's quiet check
    // Re1 is not searched, or checks would recur down every capture sequence.
    TestSearch v("4r2k/8/8/3p4/8/2N5/5PPP/6K1 w - - 0 1");
    v.qsearch(-MATE_SCORE, MATE_SCORE, false, pv);
    EXPECT_GT(v.qsNodes(), 1u);
    EXPECT_EQ(v.searcher->qsChecks.load(), 0u);
}
