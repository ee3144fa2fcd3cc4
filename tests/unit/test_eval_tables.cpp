#include <gtest/gtest.h>

#include <map>

#include "eval/eval_tables.h"

using namespace evaltables;

namespace {

constexpr int sq(const char* name) {
    return makeSquare(name[0] - 'a', name[1] - '1');
}

void expectPair(ScorePair p, int mg, int eg) {
    EXPECT_EQ(p.mg, mg);
    EXPECT_EQ(p.eg, eg);
}

}  // namespace

TEST(PieceSquareTable, NamedValues) {
    expectPair(pieceSquareTable[WHITE][KNIGHT - 1][sq("a1")], 0, -40);
    expectPair(pieceSquareTable[BLACK][KNIGHT - 1][sq("a8")], 0, -40);
    // The listed pawn values hold on c4..f5 (not the per-file/per-rank rule).
    expectPair(pieceSquareTable[WHITE][PAWN - 1][sq("e4")], 57, 5);
    expectPair(pieceSquareTable[WHITE][PAWN - 1][sq("c4")], 28, 21);
    expectPair(pieceSquareTable[BLACK][PAWN - 1][sq("e5")], 57, 5);
    expectPair(pieceSquareTable[WHITE][ROOK - 1][sq("a1")], 48, 0);
    expectPair(pieceSquareTable[BLACK][ROOK - 1][sq("a8")], 48, 0);
    expectPair(pieceSquareTable[WHITE][KING - 1][sq("g1")], 48, 25);
    expectPair(pieceSquareTable[WHITE][QUEEN - 1][sq("d8")], 70, 81);
    expectPair(pieceSquareTable[WHITE][BISHOP - 1][sq("h2")], 58, -28);
}

// Left-right symmetry, top-bottom colour mirror, no pawn value on the back
// ranks, and the value helper agrees with the table.
TEST(PieceSquareTable, SymmetriesAndEmptyPawnRanks) {
    for (int k = 0; k < 6; ++k)
        for (int s = 0; s < 64; ++s) {
            const ScorePair w = pieceSquareTable[WHITE][k][s];
            const ScorePair lr = pieceSquareTable[WHITE][k][s ^ 7];
            const ScorePair b = pieceSquareTable[BLACK][k][s ^ 56];
            EXPECT_EQ(w.mg, lr.mg);
            EXPECT_EQ(w.eg, lr.eg);
            EXPECT_EQ(w.mg, b.mg);
            EXPECT_EQ(w.eg, b.eg);
            const ScorePair v = pieceSquareValue(WHITE, PieceKind(k + 1), s);
            EXPECT_EQ(v.mg, w.mg);
            EXPECT_EQ(v.eg, w.eg);
        }
    for (int f = 0; f < 8; ++f) {
        expectPair(pieceSquareTable[WHITE][PAWN - 1][f], 0, 0);
        expectPair(pieceSquareTable[WHITE][PAWN - 1][56 + f], 0, 0);
    }
}

// The tropism table must hold exactly these non-zero entries per kind.
TEST(TropismTable, FullContents) {
    const std::map<int, int> expected[6] = {
        {{1, 1}, {2, 1}, {14, 1}, {16, 2}, {18, 1}, {30, 1}, {31, 1}, {32, 2}, {33, 1}, {34, 1}},
        {{1, 2},  {2, 2},  {3, 2},  {13, 1}, {14, 1}, {15, 2}, {16, 2}, {17, 2},
         {18, 1}, {19, 1}, {29, 1}, {30, 2}, {31, 1}, {32, 2}, {33, 1}, {34, 2},
         {35, 1}, {46, 1}, {47, 1}, {48, 2}, {49, 1}, {50, 1}},
        {{1, 3},   {2, 3},   {13, 1},  {14, 2}, {15, 1}, {16, 3},  {17, 1},  {18, 2},  {19, 1},
         {28, 1},  {29, 1},  {30, 2},  {31, 2}, {32, 3}, {33, 2},  {34, 2},  {35, 1},  {36, 1},
         {43, 1},  {44, 1},  {45, 1},  {46, 1}, {47, 1}, {49, 1},  {50, 1},  {51, 1},  {52, 1},
         {53, 1},  {58, 1},  {59, 1},  {60, 1}, {61, 1}, {62, 1},  {66, 1},  {67, 1},  {68, 1},
         {69, 1},  {70, 1},  {74, 1},  {75, 1}, {76, 1}, {77, 1},  {83, 1},  {84, 1},  {85, 1},
         {86, 1},  {89, 1},  {90, 1},  {91, 1}, {92, 1}, {100, 1}, {101, 1}, {102, 1}, {103, 1},
         {105, 1}, {106, 1}, {118, 1}, {119, 1}},
        {{1, 3},  {2, 2},  {3, 1},  {4, 1},  {5, 1},  {6, 1},   {7, 1},   {9, 1},
         {10, 1}, {11, 1}, {12, 1}, {13, 1}, {14, 2}, {15, 3},  {16, 3},  {17, 3},
         {18, 2}, {19, 1}, {20, 1}, {21, 1}, {22, 1}, {23, 1},  {31, 2},  {32, 2},
         {33, 2}, {47, 1}, {48, 1}, {49, 1}, {63, 1}, {64, 1},  {65, 1},  {79, 1},
         {80, 1}, {81, 1}, {95, 1}, {96, 1}, {97, 1}, {111, 1}, {112, 1}, {113, 1}},
        {{1, 5},   {2, 4},   {3, 1},   {4, 1},   {5, 1},   {6, 1},   {7, 1},   {9, 1},   {10, 1},
         {11, 1},  {12, 1},  {13, 1},  {14, 3},  {15, 3},  {16, 5},  {17, 3},  {18, 3},  {19, 1},
         {20, 1},  {21, 1},  {22, 1},  {23, 1},  {28, 1},  {29, 1},  {30, 2},  {31, 3},  {32, 4},
         {33, 3},  {34, 2},  {35, 1},  {36, 1},  {43, 1},  {44, 1},  {45, 1},  {46, 1},  {47, 1},
         {48, 1},  {49, 1},  {50, 1},  {51, 1},  {52, 1},  {53, 1},  {58, 1},  {59, 1},  {60, 1},
         {61, 1},  {62, 1},  {63, 1},  {64, 1},  {65, 1},  {66, 1},  {67, 1},  {68, 1},  {69, 1},
         {70, 1},  {74, 1},  {75, 1},  {76, 1},  {77, 1},  {79, 1},  {80, 1},  {81, 1},  {83, 1},
         {84, 1},  {85, 1},  {86, 1},  {89, 1},  {90, 1},  {91, 1},  {92, 1},  {95, 1},  {96, 1},
         {97, 1},  {100, 1}, {101, 1}, {102, 1}, {103, 1}, {105, 1}, {106, 1}, {111, 1}, {112, 1},
         {113, 1}, {118, 1}, {119, 1}},
        {{1, 4},
         {2, 3},
         {14, 2},
         {15, 2},
         {16, 4},
         {17, 2},
         {18, 2},
         {30, 1},
         {31, 2},
         {32, 3},
         {33, 2},
         {34, 1}},
    };
    for (int k = 0; k < 6; ++k)
        for (int d = 0; d < 128; ++d) {
            auto it = expected[k].find(d);
            EXPECT_EQ(tropismTable[k][d], it == expected[k].end() ? 0 : it->second)
                << "kind " << k << " d " << d;
        }
    // Named values: a queen at difference 1 and 16 is 5, at 120 it is 0.
    EXPECT_EQ(tropismTable[QUEEN - 1][1], 5);
    EXPECT_EQ(tropismTable[QUEEN - 1][16], 5);
    EXPECT_EQ(tropismTable[QUEEN - 1][120], 0);
}

TEST(KingShieldTable, StoredBytesAndCounts) {
    const u8 period[16] = {2, 1, 2, 1, 5, 4, 5, 4, 5, 1, 5, 1, 8, 4, 8, 4};
    for (int p = 0; p < 64; ++p) {
        EXPECT_EQ(kingShieldTable[p], period[p & 15]);
        EXPECT_EQ(kingShieldTable[p] & 3, missingShieldPawns(p)) << p;
    }
    EXPECT_EQ(kingShieldTable[0] & 3, 2);
    EXPECT_EQ(kingShieldTable[5] & 3, 0);
}

TEST(KingEdgeTable, Rings) {
    EXPECT_EQ(kingEdgeTable[sq("a1")], 0);
    EXPECT_EQ(kingEdgeTable[sq("h5")], 0);
    EXPECT_EQ(kingEdgeTable[sq("b2")], 1);
    EXPECT_EQ(kingEdgeTable[sq("g4")], 1);
    EXPECT_EQ(kingEdgeTable[sq("c6")], 2);
    for (const char* s : {"d4", "e4", "d5", "e5"}) EXPECT_EQ(kingEdgeTable[sq(s)], 3);
}

TEST(PawnMasks, SpanFrontAndSupport) {
    // White pawn on d4: c5..e7; front d5..d7; support c2..c4 and e2..e4.
    EXPECT_EQ(pawnSpanMask[WHITE][sq("d4")], 0x001C1C1C00000000ULL);
    EXPECT_EQ(pawnFileFrontMask[WHITE][sq("d4")], 0x0008080800000000ULL);
    EXPECT_EQ(pawnSupportMask[WHITE][sq("d4")], 0x0000000014141400ULL);
    // Black pawn on a5: a4..b2; support b5..b7.
    EXPECT_EQ(pawnSpanMask[BLACK][sq("a5")], 0x0000000003030300ULL);
    EXPECT_EQ(pawnFileFrontMask[BLACK][sq("a5")], 0x0000000001010100ULL);
    EXPECT_EQ(pawnSupportMask[BLACK][sq("a5")], 0x0002020200000000ULL);
    // A pawn on its 7th rank has no span; back-rank squares have no masks.
    EXPECT_EQ(pawnSpanMask[WHITE][sq("e7")], 0u);
    EXPECT_EQ(pawnSpanMask[BLACK][sq("e2")], 0u);
    for (int f = 0; f < 8; ++f)
        for (int c = 0; c < 2; ++c) {
            EXPECT_EQ(pawnSpanMask[c][f] | pawnSupportMask[c][f] | pawnFileFrontMask[c][f], 0u);
            EXPECT_EQ(pawnSpanMask[c][56 + f] | pawnSupportMask[c][56 + f], 0u);
        }
}
