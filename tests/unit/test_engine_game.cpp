#include <gtest/gtest.h>

#include <string>

#include "capability_skip.h"
#include "engine/wbengine.h"

namespace {

// A WBEngine with its board and no search threads: the handlers and the
// engine's move run on this thread, as the command loop and thread 0 would.
struct GameFixture : testing::Test {
    WBEngine engine;

    void SetUp() override {
        engine.player.board = new Board();
        engine.player.board->resetBoard();
        setUp(START_FEN);
    }
    void setUp(const char* fen) {
        ASSERT_TRUE(engine.player.board->setFEN(fen)) << fen;
        engine.player.plyCount = 0;
        engine.gameOver = false;
        engine.forceMode = true;
        engine.engineColor = NO_COLOR;
    }
    Move parse(const char* text) {
        Move m = NO_MOVE;
        EXPECT_TRUE(engine.player.parseMove(text, m)) << text;
        return m;
    }
    // A user move as the command loop runs it: the handler, then the game-end check.
    std::string userMove(const char* text) {
        testing::internal::CaptureStdout();
        bool ok = engine.cmdUserMove({text});
        if (ok && !engine.gameOver) engine.gameOver = engine.player.checkGameEnd();
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(ok) << text << "\n" << out;
        return out;
    }
    std::string engineMove(const char* text) {
        Move m = parse(text);
        testing::internal::CaptureStdout();
        engine.makeEngineMove(m);
        return testing::internal::GetCapturedStdout();
    }
    std::string fen() { return fenOf(*engine.player.board); }
};

const char* const START_BOARD_AFTER_E4 =
    "# rnbqkbnr\n# pppppppp\n# ........\n# ........\n# ....P...\n# ........\n"
    "# PPPP.PPP\n# RNBQKBNR\n#\n";

}  // namespace

TEST_F(GameFixture, EngineMoveAnnouncesMovesAndShowsTheBoard) {
    engine.player.ponderMove = makeMoveWord(52, 36);  // e7e5: only printed
    const Move e2e4 = parse("e2e4");
    std::string out = engineMove("e2e4");
    EXPECT_EQ(out, std::string("# making engine move: e2e4\nmove e2e4\n# ponder move: e7e5\n") +
                       START_BOARD_AFTER_E4);
    EXPECT_EQ(engine.player.plyCount, 1u);
    EXPECT_EQ(engine.player.gameMoves[0], e2e4);
    EXPECT_FALSE(engine.positionChanged);
    EXPECT_FALSE(engine.gameOver);
}

TEST_F(GameFixture, EngineMoveThatMatesEndsTheGame) {
    userMove("f2f3");
    userMove("e7e5");
    userMove("g2g4");
    engine.engineColor = BLACK;
    engine.forceMode = false;
    std::string out = engineMove("d8h4");
    EXPECT_NE(out.find("move d8h4\n"), std::string::npos);
    EXPECT_EQ(out.find("# ponder move"), std::string::npos);
    EXPECT_NE(out.find("#\n0-1 {Black wins by checkmate}\n"), std::string::npos) << out;
    EXPECT_TRUE(engine.gameOver);
    EXPECT_EQ(engine.engineColor, NO_COLOR);
    EXPECT_TRUE(engine.forceMode);
}

TEST_F(GameFixture, OfferDrawBeforeAMoveReachingTheFiftyMoveRule) {
    setUp("8/8/4k3/8/8/3RK3/8/8 w - - 99 80");
    std::string out = engineMove("d3d1");
    EXPECT_EQ(out.rfind("offer draw\n# making engine move: d3d1\n", 0), 0u) << out;
    EXPECT_FALSE(engine.gameOver);  // the interface decides on the claim

    setUp("8/8/4k3/8/8/3RK3/8/8 w - - 98 80");
    out = engineMove("d3d1");
    EXPECT_EQ(out.find("offer draw"), std::string::npos) << out;
    // A capture resets the clock: no claim even at 99.
    setUp("8/8/4k3/8/8/3RK3/3p4/8 w - - 99 80");
    out = engineMove("d3d2");
    EXPECT_EQ(out.find("offer draw"), std::string::npos) << out;
}

TEST_F(GameFixture, OfferDrawBeforeAThirdRepetitionOnly) {
    for (const char* m : {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1"}) userMove(m);
    std::string out = engineMove("f6g8");
    EXPECT_EQ(out.rfind("offer draw\n", 0), 0u) << out;
    EXPECT_FALSE(engine.gameOver);

    // The second occurrence is no claim.
    setUp(START_FEN);
    for (const char* m : {"g1f3", "g8f6", "f3g1"}) userMove(m);
    out = engineMove("f6g8");
    EXPECT_EQ(out.find("offer draw"), std::string::npos) << out;
}

TEST_F(GameFixture, NoDrawClaimWhenTheMoveMates) {
    // Clock at 99 and the move mates: the opponent has no legal move, no claim.
    setUp("7k/8/6K1/8/8/8/8/R7 w - - 99 80");
    std::string out = engineMove("a1a8");
    EXPECT_EQ(out.find("offer draw"), std::string::npos) << out;
    EXPECT_NE(out.find("1-0 {White wins by checkmate}"), std::string::npos) << out;
}

TEST_F(GameFixture, GameEndResults) {
    setUp("7k/8/6K1/5Q2/8/8/8/8 w - - 0 1");
    std::string out = engineMove("f5f7");
    EXPECT_NE(out.find("1/2-1/2 {Stalemate}\n"), std::string::npos) << out;

    setUp("k7/8/8/8/8/8/4r3/4K1N1 w - - 0 1");
    out = engineMove("e1e2");
    EXPECT_NE(out.find("1/2-1/2 {Draw by insufficient material}\n"), std::string::npos) << out;

    // Two knights against a bare king can still mate by the rules: no draw.
    setUp("k7/8/8/8/8/8/8/4KNN1 w - - 0 1");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(engine.player.checkGameEnd());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(GameFixture, UserMoveTextsAndRefusals) {
    testing::internal::CaptureStdout();
    EXPECT_FALSE(engine.cmdUserMove({"e2e5"}));
    EXPECT_FALSE(engine.cmdUserMove({"e2"}));
    EXPECT_FALSE(engine.cmdUserMove({"e2e4e5"}));
    EXPECT_FALSE(engine.cmdUserMove({"e7e8q"}));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out,
              "Error (illegal move): e2e5\n"
              "Error (illegal argument to 'usermove' command): e2\n"
              "Error (illegal argument to 'usermove' command): e2e4e5\n"
              "Error (illegal move): e7e8q\n");
    EXPECT_EQ(engine.player.plyCount, 0u);
    out = userMove("E2E4");
    EXPECT_EQ(out, "# making user move: E2E4\n" + std::string(START_BOARD_AFTER_E4));
    EXPECT_EQ(engine.engineColor, NO_COLOR);  // force mode: the engine plays no side
    engine.forceMode = false;
    userMove("e7e5");
    EXPECT_EQ(engine.engineColor, WHITE);
}

TEST_F(GameFixture, TakeBacksRestoreCastlingEnPassantAndPromotion) {
    // Positions are compared by their FEN text.
    TALUN_SKIP_UNLESS(Board::HAS_FEN_WRITER);
    const char* fen = "r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1";
    setUp(fen);
    const std::string before = fen;
    std::vector<std::string> seen{fen};
    for (const char* m : {"e5d6", "e8g8", "b7a8q", "f8a8", "e1c1"}) {
        userMove(m);
        seen.push_back(this->fen());
    }
    testing::internal::CaptureStdout();
    EXPECT_TRUE(engine.cmdUndo({}));
    EXPECT_EQ(this->fen(), seen[4]);
    EXPECT_TRUE(engine.cmdRemove({}));
    EXPECT_EQ(this->fen(), seen[2]);
    EXPECT_TRUE(engine.cmdRemove({}));
    EXPECT_EQ(this->fen(), before);
    EXPECT_FALSE(engine.cmdUndo({}));
    EXPECT_FALSE(engine.cmdRemove({}));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(engine.player.board->isConsistent());
}

TEST_F(GameFixture, SetBoardStartsANewGameRecordAndARefusalKeepsEverything) {
    // Positions are compared by their FEN text.
    TALUN_SKIP_UNLESS(Board::HAS_FEN_WRITER);
    userMove("e2e4");
    userMove("e7e5");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(engine.cmdSetBoard({"8/8/8/8/8/8/8/8", "w", "-", "-"}));  // no kings
    EXPECT_EQ(engine.player.plyCount, 2u);
    std::string afterTwo = fen();
    EXPECT_TRUE(engine.cmdUndo({}));
    EXPECT_TRUE(engine.cmdSetBoard({"4k3/8/8/8/8/8/4P3/4K3", "w", "-", "-", "0", "1"}));
    EXPECT_EQ(engine.player.plyCount, 0u);
    EXPECT_FALSE(engine.cmdUndo({}));  // never reaches into the earlier game
    EXPECT_EQ(fen(), "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
    testing::internal::GetCapturedStdout();
    EXPECT_NE(afterTwo, fen());
}

TEST_F(GameFixture, GameRecordIsBoundedSoTheHistoryCannotOverflow) {
    const char* cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    u32 played = 0;
    testing::internal::CaptureStdout();
    while (engine.cmdUserMove({cycle[played % 4]})) played++;
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(played, ChessPlayer::MAX_GAME_PLIES);
    EXPECT_NE(out.find("Error (game record full): "), std::string::npos);
    // The engine's move is refused too, and the engine then plays no side.
    engine.engineColor = Color(engine.player.board->sideToMove);
    out = engineMove(cycle[played % 4]);
    EXPECT_EQ(out.rfind("Error (game record full): ", 0), 0u) << out;
    EXPECT_EQ(engine.player.plyCount, ChessPlayer::MAX_GAME_PLIES);
    EXPECT_EQ(engine.engineColor, NO_COLOR);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(engine.cmdUndo({}));
    testing::internal::GetCapturedStdout();
    userMove(cycle[(played - 1) % 4]);
}

TEST_F(GameFixture, ModesOfNewGoPlayOtherAnalyzeExitAndAuto) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(engine.cmdNew({}));
    EXPECT_EQ(engine.engineColor, BLACK);  // waits for White's move
    EXPECT_FALSE(engine.forceMode);
    EXPECT_TRUE(engine.clock.timeControlOn);

    EXPECT_TRUE(engine.cmdAnalyze({}));
    EXPECT_EQ(engine.engineColor, WHITE);
    EXPECT_FALSE(engine.clock.timeControlOn);
    EXPECT_TRUE(engine.cmdGo({}));  // leaves analysis, time control stays off
    EXPECT_FALSE(engine.analyzeMode);
    EXPECT_FALSE(engine.clock.timeControlOn);
    EXPECT_FALSE(engine.cmdExit({}));  // analysis is already off
    EXPECT_FALSE(engine.clock.timeControlOn);

    EXPECT_TRUE(engine.cmdAnalyze({}));
    ASSERT_TRUE(engine.cmdNew({}));  // in analysis: analyse White's position
    EXPECT_EQ(engine.engineColor, WHITE);
    EXPECT_FALSE(engine.clock.timeControlOn);
    EXPECT_TRUE(engine.cmdExit({}));
    EXPECT_EQ(engine.engineColor, NO_COLOR);
    EXPECT_TRUE(engine.clock.timeControlOn);

    EXPECT_TRUE(engine.cmdPlayOther({}));
    EXPECT_EQ(engine.engineColor, BLACK);
    EXPECT_FALSE(engine.cmdAuto({"x"}));
    EXPECT_FALSE(engine.autoMode);
    EXPECT_TRUE(engine.cmdAuto({}));
    EXPECT_EQ(engine.engineColor, WHITE);
    testing::internal::GetCapturedStdout();
    engineMove("e2e4");  // in auto mode the engine then plays the other side
    testing::internal::CaptureStdout();
    EXPECT_EQ(engine.engineColor, BLACK);
    EXPECT_TRUE(engine.cmdForce({}));
    EXPECT_FALSE(engine.autoMode);
    EXPECT_EQ(engine.engineColor, NO_COLOR);
    testing::internal::GetCapturedStdout();
}
