#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/random_games.h"
#include "engine/self_test.h"
#include "engine/wbengine.h"
#include "search/chess_player.h"
#include "test_wbengine_support.h"

namespace {

struct PlayerWithBoard {
    ChessPlayer player;
    PlayerWithBoard() {
        player.board = new Board();
        player.board->setFEN(START_FEN);
    }
};

}  // namespace

// A file command that fails keeps the game: position, record and force mode.
TEST(DevCommands, FileErrorsKeepTheGame) {
    EngineWithBoard e;
    WBEngine& engine = e.engine;
    const std::string folder = testing::TempDir();
    testing::internal::CaptureStdout();
    ASSERT_TRUE(engine.cmdSetBoard({"4k3/8/8/8/8/8/8/4K2R", "w", "K", "-", "0", "1"}));
    ASSERT_TRUE(engine.cmdUserMove({"e1g1"}));
    const HashKey key = engine.player.board->current().key;
    EXPECT_FALSE(engine.cmdRandPos({"5", "/dev/full"}));
    EXPECT_FALSE(engine.cmdTest({folder}));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("# ERROR: failed to write file \"/dev/full\"\n"), std::string::npos) << out;
    EXPECT_NE(out.find("# ERROR: failed to open file \"" + folder + "\" for reading\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(engine.player.board->current().key, key);
    EXPECT_EQ(engine.player.plyCount, 1u);
    EXPECT_TRUE(engine.forceMode);
    EXPECT_EQ(engine.engineColor, NO_COLOR);
}

// A line far longer than any FEN text is refused, shown cut, and the next
// line is read as usual.
TEST(DevCommands, OverlongTestLineIsRefusedAndSkipped) {
    EngineWithBoard e;
    const std::string path = testing::TempDir() + "talun_long_line.fen";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const std::string longLine(100000, 'x');
    std::fprintf(file, "%s\n8/8/8/8/8/8/8/K6k w - - 0 1\n", longLine.c_str());
    std::fclose(file);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(e.engine.cmdTest({path}));
    const std::string out = testing::internal::GetCapturedStdout();
    std::remove(path.c_str());
    EXPECT_LT(out.size(), longLine.size()) << out.substr(0, 300);
    EXPECT_EQ(out.find("Running test no. 1 for FEN:\nxxx"), 0u) << out.substr(0, 300);
    EXPECT_NE(out.find("# ERROR: illegal FEN: \"xxx"), std::string::npos) << out.substr(0, 300);
    const size_t second =
        out.find("Running test no. 2 for FEN:\n8/8/8/8/8/8/8/K6k w - - 0 1\n\n\n");
    EXPECT_NE(second, std::string::npos) << out.substr(0, 300);
    EXPECT_EQ(out.find("# ERROR", second), std::string::npos) << out.substr(second);
}

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
