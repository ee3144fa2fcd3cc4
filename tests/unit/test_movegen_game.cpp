// The game position's legal moves, move parsing and random moves.
#include <cstdlib>

#include "movegen_test_util.h"

namespace {

const char* START = START_FEN;

TEST(GameMoves, ParseReadsEitherCaseAndMatchesTheLegalMove) {
    auto b = boardFromFen(START);
    Move m = 0;
    ASSERT_TRUE(parseMove(*b, "E2E4", m));
    EXPECT_EQ(m,
              makeMoveWord(12, 28, MOVE_NORMAL, 1));  // the list's word, double-step flag included
    ASSERT_TRUE(parseMove(*b, "g1f3", m));
    EXPECT_EQ(moveText(m), "g1f3");

    b = boardFromFen("7k/4P3/8/8/8/8/8/4K3 w - - 0 1");
    ASSERT_TRUE(parseMove(*b, "e7e8Q", m));
    EXPECT_EQ(m, makePromotion(52, 60, QUEEN));
    ASSERT_TRUE(parseMove(*b, "e7e8n", m));
    EXPECT_EQ(m, makePromotion(52, 60, KNIGHT));
    for (const char* bad : {"e7e8", "e7e8k", "e7e8x"}) {
        Move kept = 1234;
        EXPECT_FALSE(parseMove(*b, bad, kept)) << bad;
        EXPECT_EQ(kept, 1234) << bad;  // untouched on failure
    }
}

TEST(GameMoves, ParseRefusesIllegalAndMalformedText) {
    auto b = boardFromFen(START);
    Move m = 0;
    for (const char* bad : {"e2e5", "i2i4", "e0e1", "e9e8", "e2", "", "e2e", "e1g1"})
        EXPECT_FALSE(parseMove(*b, bad, m)) << bad;
}

TEST(GameMoves, ParseTakesCastlingAndEnPassantAsTheKingsAndPawnsMove) {
    auto b = boardFromFen("r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1");
    Move m = 0;
    ASSERT_TRUE(parseMove(*b, "e1g1", m));
    EXPECT_EQ(m, CASTLE_WHITE_KING_SIDE);
    ASSERT_TRUE(parseMove(*b, "e1c1", m));
    EXPECT_EQ(m, CASTLE_WHITE_QUEEN_SIDE);
    ASSERT_TRUE(parseMove(*b, "e5d6", m));
    EXPECT_EQ(moveKind(m), MOVE_EN_PASSANT);
}

TEST(GameMoves, NoMovesTellsMateFromStalemate) {
    auto b = boardFromFen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3");
    bool inCheck = false;
    MoveList list = legalList(*b, &inCheck);
    EXPECT_EQ(list.count, 0u);
    EXPECT_TRUE(inCheck);
    b = boardFromFen("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    list = legalList(*b, &inCheck);
    EXPECT_EQ(list.count, 0u);
    EXPECT_FALSE(inCheck);
    Move m = 77;
    EXPECT_FALSE(randomLegalMove(*b, m));
    EXPECT_EQ(m, 77);
}

TEST(GameMoves, RandomMoveIsLegal) {
    // The king's only legal move is to take the rook.
    auto b = boardFromFen("7k/8/8/8/8/8/1r6/K7 w - - 0 1");
    Move m = 0;
    ASSERT_TRUE(randomLegalMove(*b, m));
    EXPECT_EQ(moveText(m), "a1b2");
    b = boardFromFen(START);
    const std::vector<Move> legal = moveWords(legalList(*b));
    std::srand(99);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(randomLegalMove(*b, m));
        EXPECT_NE(std::find(legal.begin(), legal.end(), m), legal.end());
    }
}

}  // namespace
