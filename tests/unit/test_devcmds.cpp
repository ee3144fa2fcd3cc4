#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "engine/random_games.h"
#include "engine/self_test.h"
#include "search/chess_player.h"

namespace {

struct PlayerWithBoard {
    ChessPlayer player;
    PlayerWithBoard() {
        player.board = new Board();
        player.board->setFEN(START_FEN);
    }
};

}  // namespace

// A thousand random games: every count agrees with the others, no game runs
// past the game record, and the board ends in the start position.
TEST(RandomGames, ThousandGamesCountsAddUp) {
    PlayerWithBoard p;
    auto s = std::make_unique<RandomGameStatistics>();
    testing::internal::CaptureStdout();
    runRandomGames(p.player, 1000, *s);
    testing::internal::GetCapturedStdout();

    EXPECT_EQ(s->games, 1000u);
    u64 games = 0, plies = 0;
    for (u32 n = 0; n < HISTORY_SIZE; ++n) {
        games += s->gameLength[n];
        plies += u64(n) * s->gameLength[n];
        EXPECT_TRUE(n <= ChessPlayer::MAX_GAME_PLIES || s->gameLength[n] == 0) << n;
    }
    EXPECT_EQ(games, s->games);
    EXPECT_EQ(plies, s->moves);

    u64 moved = 0, captured = 0, promoted = 0;
    for (int k = PAWN; k <= KING; ++k) {
        moved += s->movesByKind[k];
        captured += s->capturedByKind[k];
        promoted += s->promotedTo[k];
    }
    EXPECT_EQ(moved, s->moves);
    EXPECT_EQ(captured, s->captures + s->epCaptures);
    EXPECT_EQ(promoted, s->promotions);
    EXPECT_EQ(s->capturedByKind[KING], 0u);
    EXPECT_GT(s->castlings + s->epCaptures + s->doubleSteps, 0u);

    for (int c = 0; c < 2; ++c) {
        u64 positions = 0, men = 0, present = 0, kings = 0;
        for (int n = 1; n <= 16; ++n) {
            positions += s->menCount[c][n];
            men += u64(n) * s->menCount[c][n];
        }
        for (int sq = 0; sq < 64; ++sq) {
            for (int k = PAWN; k <= KING; ++k) present += s->presence[c][k][sq];
            kings += s->presence[c][KING][sq];
        }
        EXPECT_EQ(positions, s->moves);
        EXPECT_EQ(present, men);
        EXPECT_EQ(kings, s->moves);
    }

    Board start;
    start.setFEN(START_FEN);
    EXPECT_EQ(p.player.board->current().key, start.current().key);
    EXPECT_EQ(p.player.plyCount, 0u);
}

// A row with a wrong count or a refused FEN fails the run; the others pass.
TEST(SelfTest, FailedRowsFailTheRun) {
    PlayerWithBoard p;
    const SelfTestRow rows[] = {
        {1, START_FEN, 2, 400},
        {2, START_FEN, 3, 8903},
        {3, "8/8/8/8 w - -", 1, 0},
    };
    testing::internal::CaptureStdout();
    EXPECT_FALSE(runSelfTest(p.player, rows, 3));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("# Self-test no. 1 passed: n=400, t="), std::string::npos) << out;
    EXPECT_NE(out.find("# Self-test no. 2 FAILED  (expected 8903, got 8902)\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("# Self-test no. 3 FAILED  (illegal FEN)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("1 tests passed, 2 tests failed, 0 tests skipped, total 3 tests run:\nn="),
              std::string::npos)
        << out;
}
