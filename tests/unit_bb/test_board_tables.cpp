#include <gtest/gtest.h>

#include <set>

#include "boardbb/board_bb64.h"

namespace {

Bitboard bits(std::initializer_list<const char*> squares) {
    Bitboard b = 0;
    for (const char* s : squares) b |= squareBit(makeSquare(s[0] - 'a', s[1] - '1'));
    return b;
}

class Tables : public ::testing::Test {
   protected:
    static void SetUpTestSuite() { Board_BB64::initTables(); }
};

// Every occupancy subset of every mask must give, through the magic lookup,
// exactly what a plain ray walk gives.
TEST_F(Tables, MagicLookupMatchesRayWalkForEverySubset) {
    long checked = 0;
    for (int sq = 0; sq < 64; ++sq) {
        ASSERT_EQ(u64(popCount(rookMasks[sq])), rookMagics[sq].bits) << sq;
        ASSERT_EQ(u64(popCount(bishopMasks[sq])), bishopMagics[sq].bits) << sq;
        for (int piece = 0; piece < 2; ++piece) {
            const Bitboard mask = piece ? bishopMasks[sq] : rookMasks[sq];
            Bitboard subset = 0;
            do {
                const Bitboard fast = piece ? bishopAttacks(sq, subset) : rookAttacks(sq, subset);
                const Bitboard slow =
                    piece ? bishopAttacksSlow(sq, subset) : rookAttacksSlow(sq, subset);
                ASSERT_EQ(fast, slow) << "square " << sq << (piece ? " bishop" : " rook");
                ++checked;
                subset = (subset - mask) & mask;
            } while (subset);
        }
    }
    EXPECT_EQ(checked, 102400 + 5248);
}

TEST_F(Tables, SliderLayoutAndGivenMultipliers) {
    EXPECT_EQ(rookOffsets[0], 0);
    EXPECT_EQ(bishopOffsets[0], 102400);
    EXPECT_EQ(bishopOffsets[63] + 64, SLIDER_ATTACK_SLOTS);
    const struct {
        int sq;
        u64 rook, bishop;
    } given[] = {{0, 0x0E00102102048040ull, 0x69C0FA480A008012ull},
                 {1, 0x8040001000402008ull, 0x0804040082020410ull},
                 {7, 0x01001200C6816100ull, 0x6808314D10082000ull},
                 {27, 0x0000100180080080ull, 0x950C080000A20040ull},
                 {63, 0x0000040020944102ull, 0x1030121A0801A902ull}};
    for (const auto& g : given) {
        EXPECT_EQ(rookMagics[g.sq].multiplier, g.rook);
        EXPECT_EQ(bishopMagics[g.sq].multiplier, g.bishop);
    }
    // Bit counts: rook 12 in corners, 10 inside; bishop 9 in the centre, 6 in corners.
    EXPECT_EQ(rookMagics[56].bits, 12u);
    EXPECT_EQ(rookMagics[35].bits, 10u);
    EXPECT_EQ(bishopMagics[36].bits, 9u);
    EXPECT_EQ(bishopMagics[18].bits, 7u);
    EXPECT_EQ(bishopMagics[56].bits, 6u);
}

TEST_F(Tables, SliderEdgeCases) {
    EXPECT_EQ(popCount(rookAttacks(0, 0)), 14);
    EXPECT_EQ(rookAttacks(0, bits({"a4", "d1", "h8"})), bits({"a2", "a3", "a4", "b1", "c1", "d1"}));
    EXPECT_EQ(popCount(bishopAttacks(27, 0)), 13);
    EXPECT_EQ(popCount(bishopMasks[27]), 9);
    EXPECT_EQ(queenAttacks(27, 0), rookRays[27] | bishopRays[27]);
    // Attack sets include the first man in each direction, of either colour.
    EXPECT_EQ(bishopAttacks(27, bits({"f6", "b2"})),
              bits({"c5", "b6", "a7", "e5", "f6", "c3", "b2", "e3", "f2", "g1"}));
}

TEST_F(Tables, LeaperRayAndLineTables) {
    EXPECT_EQ(betweenSquares[0][63], bits({"b2", "c3", "d4", "e5", "f6", "g7"}));
    EXPECT_EQ(betweenSquares[63][0], betweenSquares[0][63]);
    EXPECT_EQ(betweenSquares[0][17], 0u);  // a1, b3: no common line
    EXPECT_EQ(betweenSquares[0][1], 0u);   // neighbours
    EXPECT_EQ(betweenSquares[4][4], 0u);
    EXPECT_EQ(betweenSquares[4][60], bits({"e2", "e3", "e4", "e5", "e6", "e7"}));
    EXPECT_EQ(epNeighbours[24], bits({"b4"}));
    EXPECT_EQ(epNeighbours[36], bits({"d5", "f5"}));
    EXPECT_EQ(epNeighbours[31], bits({"g4"}));
    EXPECT_EQ(pawnAttacks[WHITE][8], bits({"b3"}));
    EXPECT_EQ(pawnAttacks[WHITE][12], bits({"d3", "f3"}));
    EXPECT_EQ(pawnAttacks[WHITE][60], 0u);
    EXPECT_EQ(pawnAttacks[BLACK][55], bits({"g6"}));
    EXPECT_EQ(pawnAttacks[BLACK][4], 0u);
    EXPECT_EQ(knightAttacks[0], bits({"b3", "c2"}));
    EXPECT_EQ(popCount(knightAttacks[27]), 8);
    EXPECT_EQ(kingAttacks[7], bits({"g1", "g2", "h2"}));
    EXPECT_EQ(popCount(rookRays[27]), 14);
    EXPECT_EQ(pawnDirection[WHITE], 8);
    EXPECT_EQ(pawnDirection[BLACK], -8);
    for (int a = 0; a < 64; ++a)
        for (int b = 0; b < 64; ++b) ASSERT_EQ(betweenSquares[a][b], betweenSquares[b][a]);
}

TEST_F(Tables, ZobristKeys) {
    for (u32 i = 0; i < 16; ++i) {
        const bool single = i == 1 || i == 2 || i == 4 || i == 8;
        EXPECT_EQ(castlingKeys[i] != 0, single) << i;
        HashKey combined = 0;
        hashCastlingChange(0, i, &combined);
        EXPECT_EQ(castlingChangeKeys[i], combined);
    }
    // 781 keys, all different and non-zero.
    std::set<HashKey> keys;
    for (auto& colour : pieceKeys)
        for (auto& kind : colour)
            for (HashKey k : kind) keys.insert(k);
    for (int b : {1, 2, 4, 8}) keys.insert(castlingKeys[b]);
    for (HashKey k : epFileKeys) keys.insert(k);
    keys.insert(sideKey);
    EXPECT_EQ(keys.size(), 781u);
    EXPECT_EQ(keys.count(0), 0u);
}

// The keys are drawn from a fixed seed: the first key is the first random64
// after srand(327641845), packed 11 bits per rand() call, 9 bits from the last.
TEST_F(Tables, RandomPackingAndFixedSeed) {
    srand(327641845);
    int r[6];
    for (int& v : r) v = rand();
    u64 expected = 0;
    for (int i = 0; i < 5; ++i) expected |= u64(r[i] & 0x7FF) << (11 * i);
    expected |= u64(r[5] & 0x1FF) << 55;
    EXPECT_EQ(pieceKeys[WHITE][0][0], expected);
    srand(327641845);
    EXPECT_EQ(random64(), expected);
    seedRandomFromClock();
}

}  // namespace
