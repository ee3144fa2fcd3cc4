#include <gtest/gtest.h>

#include "board/types.h"

// The fixed castling words must decode to the king's squares, the castling
// kind and their variant number.
TEST(MoveWord, CastlingConstantsDecode) {
    struct Case {
        Move m;
        int from, to, variant;
    } cases[] = {{CASTLE_WHITE_KING_SIDE, 4, 6, 0},
                 {CASTLE_WHITE_QUEEN_SIDE, 4, 2, 1},
                 {CASTLE_BLACK_KING_SIDE, 60, 62, 2},
                 {CASTLE_BLACK_QUEEN_SIDE, 60, 58, 3}};
    for (const Case& c : cases) {
        EXPECT_EQ(moveFrom(c.m), c.from);
        EXPECT_EQ(moveTo(c.m), c.to);
        EXPECT_EQ(moveKind(c.m), MOVE_CASTLING);
        EXPECT_EQ(moveExtra(c.m), u32(c.variant));
        EXPECT_EQ(makeMoveWord(Square(c.from), Square(c.to), MOVE_CASTLING, u32(c.variant)), c.m);
    }
}

TEST(MoveWord, PromotionAndDoubleStep) {
    Move p = makePromotion(49, 56, KNIGHT);  // b7a8n
    EXPECT_EQ(moveKind(p), MOVE_PROMOTION);
    EXPECT_EQ(promotionKind(p), KNIGHT);
    EXPECT_FALSE(isDoubleStep(p));
    EXPECT_TRUE(isDoubleStep(makeMoveWord(12, 28, MOVE_NORMAL, 1)));
    EXPECT_FALSE(isDoubleStep(makeMoveWord(12, 20)));
}

// Ordering values are signed 16-bit numbers in the high half of a slot.
TEST(MoveListSlots, ValuesAreSignedAndFullListDropsMoves) {
    MoveList list;
    list.clear();
    list.add(makeMoveWord(12, 28));
    list.setValue(0, -50);
    EXPECT_EQ(list.value(0), -50);
    EXPECT_EQ(list.move(0), makeMoveWord(12, 28));
    list.setValue(0, 1063);
    EXPECT_GT(list.value(0), 0);
    for (int i = 0; i < 300; ++i) list.add(Move(i + 1));
    EXPECT_EQ(list.count, MoveList::CAPACITY);
}
