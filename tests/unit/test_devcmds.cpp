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

bool hasMan(const Board& b, int sq, PieceKind kind, Color color) {
    return b.pieceKinds[sq] == kind && b.pieceColors[sq] == color;
}

// The rules every random position keeps, beyond what setFEN checks again.
void expectSaneRandomPosition(const Board& b, const std::string& fen) {
    const Color us = Color(b.sideToMove), them = ~us;
    ASSERT_TRUE(us == WHITE || us == BLACK) << fen;
    for (int c = 0; c < 2; ++c) ASSERT_EQ(popCount(b.pieces(KING, Color(c))), 1) << fen;
    EXPECT_FALSE(kingAttacks[b.kingSquare(us)] & b.pieces(KING, them)) << fen;
    CheckerList checkers{};
    const bool themInCheck = us == WHITE ? b.isAttackedBy<WHITE>(b.kingSquare(BLACK), checkers)
                                         : b.isAttackedBy<BLACK>(b.kingSquare(WHITE), checkers);
    EXPECT_FALSE(themInCheck) << fen;
    EXPECT_FALSE(b.pieces(PAWN) & 0xFF000000000000FFull) << fen;
    for (int c = 0; c < 2; ++c) {
        for (int file = 0; file < 8; ++file)
            EXPECT_LE(popCount(b.pieces(PAWN, Color(c)) & (0x0101010101010101ull << file)), 1)
                << fen;
        const Bitboard bishops = b.pieces(BISHOP, Color(c));
        if (popCount(bishops) == 2) {
            const int first = lowestSquare(bishops), second = 63 - __builtin_clzll(bishops);
            EXPECT_NE((fileOf(first) + rankOf(first)) % 2, (fileOf(second) + rankOf(second)) % 2)
                << fen;
        }
    }
    // A right stands only with its king and rook at home.
    const u8 rights = b.castlingRights;
    const bool whiteKing = hasMan(b, 4, KING, WHITE), blackKing = hasMan(b, 60, KING, BLACK);
    EXPECT_TRUE(!(rights & WHITE_KING_SIDE) || (whiteKing && hasMan(b, 7, ROOK, WHITE))) << fen;
    EXPECT_TRUE(!(rights & WHITE_QUEEN_SIDE) || (whiteKing && hasMan(b, 0, ROOK, WHITE))) << fen;
    EXPECT_TRUE(!(rights & BLACK_KING_SIDE) || (blackKing && hasMan(b, 63, ROOK, BLACK))) << fen;
    EXPECT_TRUE(!(rights & BLACK_QUEEN_SIDE) || (blackKing && hasMan(b, 56, ROOK, BLACK))) << fen;
}

}  // namespace

// Each random position is sane, keeps the board's invariants (the position key
// with its side and castling parts included), and reads back from its FEN as
// the same position with the same key.
TEST(RandomPosition, TenThousandDrawsAreSaneAndReadBack) {
    auto board = std::make_unique<Board>();
    auto reread = std::make_unique<Board>();
    board->resetBoard();
    int blackToMove = 0, withRights = 0, inCheck = 0;
    char fen[96], again[96];
    for (int i = 0; i < 10000; ++i) {
        board->setRandomPosition();
        board->getFEN(fen);
        const std::string text = fen;
        ASSERT_TRUE(board->isConsistent()) << text;
        ASSERT_EQ(board->historyIndex, 0u);
        ASSERT_TRUE(text.ends_with(" - 0 1")) << text;
        expectSaneRandomPosition(*board, text);
        ASSERT_TRUE(reread->setFEN(fen)) << text;
        reread->getFEN(again);
        EXPECT_EQ(text, again);
        EXPECT_EQ(reread->current().key, board->current().key) << text;
        blackToMove += board->sideToMove == BLACK;
        withRights += board->castlingRights != 0;
        inCheck += board->inCheck();
    }
    // The draws cover both sides to move, castling rights and checks.
    EXPECT_GT(blackToMove, 4000);
    EXPECT_GT(withRights, 0);
    EXPECT_GT(inCheck, 0);
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

    char fen[96];
    p.player.board->getFEN(fen);
    EXPECT_STREQ(fen, START_FEN);
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
