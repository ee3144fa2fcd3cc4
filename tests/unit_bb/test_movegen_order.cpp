// The order in which the bitboard generators hand out moves (the 0x88
// board's own order is tested in tests/unit0x88).
#include "movegen_test_util.h"

namespace {
using Texts = std::vector<std::string>;
}  // namespace

TEST(MoveGen, StartPositionComesInGenerationOrder) {
    auto b = boardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    const Texts expected = {"b1a3", "b1c3", "g1f3", "g1h3", "a2a3", "b2b3", "c2c3",
                            "d2d3", "e2e3", "f2f3", "g2g3", "h2h3", "a2a4", "b2b4",
                            "c2c4", "d2d4", "e2e4", "f2f4", "g2g4", "h2h4"};
    EXPECT_EQ(moveTexts(legalList(*b)), expected);
    // Black mirrors it: lowest squares first in both colours.
    b = boardFromFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
    const Texts black = moveTexts(legalList(*b));
    ASSERT_EQ(black.size(), 20u);
    EXPECT_EQ(black[0], "b8a6");
    EXPECT_EQ(black[4], "a7a6");
    EXPECT_EQ(black[12], "a7a5");
}

TEST(MoveGen, PromotionGroupsAndTheirOrder) {
    // Pawn on e7, empty e8, men on d8 and f8.
    auto b = boardFromFen("3r1n1k/4P3/8/8/8/8/8/K7 w - - 0 1");
    CheckInfo info = checkInfoOf(*b);
    MoveList list = emptyList();
    b->genCaptures<WHITE>(info, list);
    EXPECT_EQ(moveTexts(list), (Texts{"e7e8q", "e7e8n", "e7e8r", "e7e8b", "e7d8q", "e7d8n", "e7d8r",
                                      "e7d8b", "e7f8q", "e7f8n", "e7f8r", "e7f8b"}));
    list = emptyList();
    b->genQsCaptures<WHITE>(info, list);
    EXPECT_EQ(moveTexts(list), (Texts{"e7e8q", "e7d8q", "e7f8q"}));
    for (Move m : moveWords(list)) EXPECT_EQ(moveKind(m), MOVE_PROMOTION);

    // Black's first capture step (-7) goes towards the h-file.
    b = boardFromFen("k7/8/8/8/8/8/4p3/3R1N1K b - - 0 1");
    info = checkInfoOf(*b);
    list = emptyList();
    b->genQsCaptures<BLACK>(info, list);
    EXPECT_EQ(moveTexts(list), (Texts{"e2e1q", "e2f1q", "e2d1q"}));
}
