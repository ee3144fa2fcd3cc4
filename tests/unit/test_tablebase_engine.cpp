// The engine side of the tablebases: set-up by the controller, the probe's
// score from a board, whole games that end in the tablebase's mate, and
// search threads probing at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "search/chess_player.h"
#include "search/tablebase_probe.h"
#include "search/threads.h"
#include "test_engine_support.h"

namespace {

const std::string GTB_DIR = std::string(TALUN_DATA_DIR) + "/gtb";

// The probe's score of the game position for its side to move.
bool score(TestEngine& e, Score& s) {
    const Board& b = *e.player.board;
    return b.sideToMove == WHITE ? probeTablebase<WHITE>(e.player.tablebaseState, b, s)
                                 : probeTablebase<BLACK>(e.player.tablebaseState, b, s);
}

}  // namespace

TEST(TablebaseSetUp, PathListTypeAndPathLength) {
    TestEngine e;
    e.player.initTablebases("gaviota", "a;;b;");
    ASSERT_NE(e.player.tablebaseState, nullptr);
    EXPECT_TRUE(e.player.tablebaseState->available);
    EXPECT_EQ(e.player.tablebaseState->paths, (std::vector<std::string>{"a", "b"}));
    const std::string longPath(300, 'd');
    e.player.initTablebases("gaviota", longPath.c_str());
    EXPECT_EQ(std::string(e.player.gtbPath), longPath.substr(0, 255));
    // Another type tears the set-up down and keeps the path.
    e.player.initTablebases("gaviota", GTB_DIR.c_str());
    e.setPosition("8/8/8/5k2/8/8/1Q6/K7 w - - 0 1");
    Score s = 0;
    EXPECT_TRUE(score(e, s));
    e.player.initTablebases("gaviotax", "/elsewhere");
    EXPECT_FALSE(e.player.tablebaseState->available);
    EXPECT_EQ(std::string(e.player.gtbPath), GTB_DIR);
    EXPECT_FALSE(score(e, s));
    e.player.initTablebases("gaviota", nullptr);
    EXPECT_TRUE(score(e, s));
}

TEST(TablebaseSetUp, ScoresCountMatesFromTheSideToMove) {
    TestEngine e;
    e.player.initTablebases("gaviota", GTB_DIR.c_str());
    struct Case {
        const char* fen;
        Score score;
    } cases[] = {
        {"8/8/8/5k2/8/8/1Q6/K7 w - - 0 1", 32000 - 19},  // mates in 10 moves
        {"k7/1q6/8/8/5K2/8/8/8 b - - 0 1", 32000 - 19},  // the same, colours exchanged
        {"8/8/8/8/pP6/8/K7/7k b - - 0 1", 30 - 32000},   // mated in 15 moves
        {"7K/k7/8/Pp6/8/8/8/8 w - - 0 1", 30 - 32000},
        {"8/8/8/8/8/2k5/8/K7 w - - 0 1", 0},  // kings only
    };
    for (const Case& c : cases) {
        e.setPosition(c.fen);
        Score s = 12345;
        ASSERT_TRUE(score(e, s)) << c.fen;
        EXPECT_EQ(s, c.score) << c.fen;
    }
    // A castling right left: never probed, the score untouched.
    e.setPosition("4k3/8/8/8/8/8/8/R3K3 w Q - 0 1");
    Score s = 777;
    EXPECT_FALSE(score(e, s));
    EXPECT_EQ(s, 777);
    e.setPosition("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    EXPECT_TRUE(score(e, s));
}

TEST(TablebaseGames, TheEngineMatesWithinTheTablebaseDistance) {
    struct Game {
        const char* fen;
        u32 plies;  // to mate with best play
    } games[] = {
        {"8/8/8/8/8/2k5/1R6/K7 w - - 0 1", 31},   // KR v K
        {"8/8/8/8/2r5/8/2k5/K6Q w - - 0 1", 69},  // KQ v KR
    };
    for (const Game& g : games) {
        TestEngine e;
        e.player.initTablebases("gaviota", GTB_DIR.c_str());
        e.setPosition(g.fen);
        u32 ply = 0;
        for (;; ++ply) {
            MoveList list;
            list.clear();
            bool inCheck = false;
            e.player.generateLegalMoves(list, inCheck);
            if (list.count == 0) {
                EXPECT_TRUE(inCheck) << g.fen << ": stalemate";
                break;
            }
            ASSERT_LT(ply, g.plies) << g.fen;
            const Move m = e.search();
            bool legal = false;
            for (u32 i = 0; i < list.count; ++i) legal |= list.move(i) == m;
            ASSERT_TRUE(legal) << g.fen << " ply " << ply;
            e.player.playGameMove(m);
        }
        EXPECT_EQ(ply, g.plies) << g.fen;
    }
}

TEST(TablebaseThreads, FourSearchThreadsProbeAtOnceAcrossSetUps) {
    TestEngine e(4);
    e.clock.depthLimitOn = 1;
    e.clock.depthLimit = 12;
    // No file for the five men: the search probes the 4-man endgames after
    // captures, from every thread.
    e.setPosition("8/8/2k5/3p4/4P3/2K5/5R2/8 w - - 0 1");
    for (int round = 0; round < 2; ++round) {
        e.player.initTablebases("gaviota", GTB_DIR.c_str());
        // No thread keeps the record that the set-up freed, even before its next search.
        for (u32 i = 0; round > 0 && i < 4; ++i)
            EXPECT_EQ(e.player.searchThread(i)->searcher.tablebaseState, e.player.tablebaseState);
        EXPECT_NE(e.search(), NO_MOVE);
    }
    u64 hits = 0;
    for (u32 i = 0; i < 4; ++i) hits += e.player.searchThread(i)->searcher.tbHits.load();
    EXPECT_GT(hits, 0u);
}
