#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "board/board.h"

namespace {

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
