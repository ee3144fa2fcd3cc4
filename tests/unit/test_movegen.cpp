// Legal move generation: order, flags, pins, checks, castling, list limits.
#include "movegen_test_util.h"

namespace {

using Texts = std::vector<std::string>;

bool contains(const Texts& texts, const std::string& t) {
    return std::find(texts.begin(), texts.end(), t) != texts.end();
}

TEST(MoveGen, DoubleStepCarriesItsFlagAndSingleStepDoesNot) {
    auto b = boardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    for (Move m : moveWords(legalList(*b))) {
        if (b->kindAt(moveFrom(m)) != PAWN) continue;
        const std::string t = moveText(m);
        const bool twoRanks = t[3] - t[1] == 2;
        EXPECT_EQ(moveExtra(m), twoRanks ? 1u : 0u) << t;
        EXPECT_EQ(moveKind(m), MOVE_NORMAL) << t;
    }
}

TEST(MoveGen, EnPassantThatExposesTheKingAlongTheRankIsRefused) {
    auto b = boardFromFen("8/8/8/K2pP2r/8/8/8/7k w - d6 0 1");
    EXPECT_FALSE(contains(moveTexts(legalList(*b)), "e5d6"));
    b = boardFromFen("8/8/8/K2pP3/8/8/8/7k w - d6 0 1");
    const MoveList list = legalList(*b);
    bool found = false;
    for (Move m : moveWords(list))
        if (moveText(m) == "e5d6") {
            found = true;
            EXPECT_EQ(moveKind(m), MOVE_EN_PASSANT);
        }
    EXPECT_TRUE(found);
    // Black's twin: the capture would uncover a queen on the king's rank.
    b = boardFromFen("7K/8/8/8/Q2Pp2k/8/8/8 b - d3 0 1");
    EXPECT_FALSE(contains(moveTexts(legalList(*b)), "e4d3"));
}

TEST(MoveGen, PinnedMenMoveOnlyAlongThePinLine) {
    auto b = boardFromFen("4k3/4r3/8/8/8/8/4R3/4K3 w - - 0 1");
    Texts rook;
    for (const auto& t : moveTexts(legalList(*b)))
        if (t.rfind("e2", 0) == 0) rook.push_back(t);
    std::sort(rook.begin(), rook.end());
    EXPECT_EQ(rook, (Texts{"e2e3", "e2e4", "e2e5", "e2e6", "e2e7"}));

    b = boardFromFen("4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1");
    for (const auto& t : moveTexts(legalList(*b))) EXPECT_NE(t.substr(0, 2), "e2") << t;
    b = boardFromFen("4k3/8/8/8/8/2b5/3N4/4K3 w - - 0 1");
    for (const auto& t : moveTexts(legalList(*b))) EXPECT_NE(t.substr(0, 2), "d2") << t;

    b = boardFromFen("7k/8/8/8/3b4/8/1B6/K7 w - - 0 1");
    Texts bishop;
    for (const auto& t : moveTexts(legalList(*b)))
        if (t.rfind("b2", 0) == 0) bishop.push_back(t);
    std::sort(bishop.begin(), bishop.end());
    EXPECT_EQ(bishop, (Texts{"b2c3", "b2d4"}));
}

TEST(MoveGen, CastlingNeedsFreeSafeSquares) {
    auto has = [](const std::string& fen, const std::string& move) {
        auto b = boardFromFen(fen);
        return contains(moveTexts(legalList(*b)), move);
    };
    const std::string both = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    EXPECT_TRUE(has(both, "e1g1"));
    EXPECT_TRUE(has(both, "e1c1"));
    auto b = boardFromFen(both);
    const MoveList list = legalList(*b);
    EXPECT_EQ(list.move(list.count - 2), CASTLE_WHITE_KING_SIDE);
    EXPECT_EQ(list.move(list.count - 1), CASTLE_WHITE_QUEEN_SIDE);

    EXPECT_FALSE(has("r3kr2/8/8/8/8/8/8/R3K2R w KQq - 0 1", "e1g1"));    // f1 attacked
    EXPECT_FALSE(has("r3k1r1/8/8/8/8/8/8/R3K2R w KQq - 0 1", "e1g1"));   // g1 attacked
    EXPECT_TRUE(has("1r2k2r/8/8/8/8/8/8/R3K2R w KQk - 0 1", "e1c1"));    // b1 only empty
    EXPECT_FALSE(has("r2rk3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1"));     // d1 attacked
    EXPECT_FALSE(has("r1r1k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1"));    // c1 attacked
    EXPECT_FALSE(has("r3k2r/8/8/8/8/8/8/RN2K2R w KQkq - 0 1", "e1c1"));  // b1 occupied
    EXPECT_FALSE(has("r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1", "e1g1"));      // no right
    EXPECT_FALSE(has("4k3/8/8/8/8/8/8/R3K2r w Q - 0 1", "e1c1"));        // in check
    // Black's twins.
    EXPECT_TRUE(has("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8g8"));
    EXPECT_TRUE(has("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8"));
    EXPECT_FALSE(has("r3k2r/8/8/8/8/8/8/R3KR2 b kq - 0 1", "e8g8"));
    EXPECT_FALSE(has("r3k2r/8/8/8/8/8/8/R2RK3 b kq - 0 1", "e8c8"));
}

TEST(MoveGen, DoubleCheckAllowsOnlyKingMoves) {
    // Knight f3 and rook h1 both check the king on e1.
    auto b = boardFromFen("4k3/8/8/8/8/5n2/8/R3K2r w - - 0 1");
    bool inCheck = false;
    const MoveList list = legalList(*b, &inCheck);
    EXPECT_TRUE(inCheck);
    // The bitboard board records both checkers, the 0x88 board only the first.
    EXPECT_GE(checkInfoOf(*b).checkers.count, 1);
    ASSERT_GT(list.count, 0u);
    for (const auto& t : moveTexts(list)) EXPECT_EQ(t.substr(0, 2), "e1") << t;
}

TEST(MoveGen, ContactCheckHasNoBlocks) {
    // Knight on d3 checks e1; the rook can only take it, the bishop cannot block.
    auto b = boardFromFen("4k3/8/8/8/8/3n4/6B1/3RK3 w - - 0 1");
    for (const auto& t : moveTexts(legalList(*b)))
        if (t.substr(0, 2) != "e1") {
            EXPECT_EQ(t.substr(2, 2), "d3") << t;
        }
}

TEST(MoveGen, EvasionPromotionsBlockAndCapture) {
    // Rook d8 checks along rank 8 towards h8... pawn c7 can take it (promotions),
    // and a pawn on f7 can block on f8.
    auto b = boardFromFen("3r3K/2P2P2/8/8/8/8/8/k7 w - - 0 1");
    const Texts moves = moveTexts(legalList(*b));
    for (const char* t : {"c7d8q", "c7d8n", "c7d8r", "c7d8b", "f7f8q", "f7f8b"})
        EXPECT_TRUE(contains(moves, t)) << t;
    EXPECT_FALSE(contains(moves, "c7c8q"));
}

TEST(MoveGen, FullListKeepsTheFirst255InGenerationOrder) {
    // Generators append after what a list holds and drop what does not fit.
    auto b = boardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    const std::vector<Move> all = moveWords(legalList(*b));
    MoveList list = emptyList();
    for (u32 i = 0; i < 250; ++i) list.add(makeMoveWord(0, 1));
    b->genAllMoves<WHITE>(checkInfoOf(*b), list);
    ASSERT_EQ(list.count, 255u);
    for (u32 i = 0; i < 5; ++i) EXPECT_EQ(list.move(250 + i), all[i]);
    list.add(makeMoveWord(0, 2));
    EXPECT_EQ(list.count, 255u);
    EXPECT_EQ(list.move(254), all[4]);
}

}  // namespace
