// Statistics block after a search.
#include <gtest/gtest.h>

#include <sstream>

#include "search/search_output.h"

TEST(SearchStatisticsText, Block) {
    SearchStatistics s;
    s.nodes = 1000;
    s.qsNodes = 250;
    s.qsChecks = 7;
    s.cutoffs = 200;
    s.cutoffsOnFirstMove = 180;
    s.qsCutoffs = 100;
    s.qsCutoffsOnFirstMove = 30;
    s.ttHashHits = 42;
    s.tbHits = 3;
    s.pawnHashHits = 99;
    std::ostringstream out;
    writeSearchStatistics(out, s, 50, fillPercent(32768), fillPercent(1));
    EXPECT_EQ(out.str(),
              "# total nodes = 1000, QS nodes = 250 (25%), time = 50, nps = 2000\n"
              "# QS checks = 7\n"
              "# cutoffs = 200, cutoffs on 1st move = 180 (90%)\n"
              "# qsCutoffs = 100, qsCutoffs on 1st move = 30 (30%)\n"
              "# allCutoffs = 300, all cutoffs on 1st move = 210 (70%)\n"
              "# ttHashFull% = 50, ttHashHits = 42\n"
              "# pawnHashFull% = 0.00152588, pawnHashHits = 99\n"
              "# tbHits = 3\n");
}

TEST(SearchStatisticsText, EmptySearch) {
    // Zero divisors give zero percentages and a search of no time 0 nps.
    std::ostringstream out;
    writeSearchStatistics(out, SearchStatistics{}, 0, 0.0, 0.0);
    EXPECT_EQ(out.str(),
              "# total nodes = 0, QS nodes = 0 (0%), time = 0, nps = 0\n"
              "# QS checks = 0\n"
              "# cutoffs = 0, cutoffs on 1st move = 0 (0%)\n"
              "# qsCutoffs = 0, qsCutoffs on 1st move = 0 (0%)\n"
              "# allCutoffs = 0, all cutoffs on 1st move = 0 (0%)\n"
              "# ttHashFull% = 0, ttHashHits = 0\n"
              "# pawnHashFull% = 0, pawnHashHits = 0\n"
              "# tbHits = 0\n");
}

TEST(ThinkingText, Line) {
    PvLine pv{};
    pv.length = 3;
    pv.moves[0] = makeMoveWord(12, 28, MOVE_NORMAL, 1);  // e2e4
    pv.moves[1] = CASTLE_BLACK_KING_SIDE;                // e8g8
    pv.moves[2] = makePromotion(52, 61, QUEEN);          // e7f8q
    EXPECT_EQ(thinkingLine(5, -17, 123, 4567, pv), "5 -17 123 4567 e2e4 e8g8 e7f8q\n");
    EXPECT_EQ(lineText(pv), "e2e4 e8g8 e7f8q");
    // No legal move at the root: depth 0 and an empty line.
    PvLine empty{};
    EXPECT_EQ(thinkingLine(0, -32000, 0, 0, empty), "0 -32000 0 0\n");
}
