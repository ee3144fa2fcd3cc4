// Index functions, stored bytes and block decoders of the tablebase prober.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tablebases/tb_internal.h"

using namespace tb;

namespace {

struct IndexTables : ::testing::Test {
    static void SetUpTestSuite() {
        tbInitAttackMaps();
        tbBuildIndexTables();
    }
};

// A random placement of an endgame's men on distinct squares, pawns on ranks
// 2 to 7: White's list, then Black's, each ended by 64.
void randomPlacement(const char* name, std::vector<u32>& white, std::vector<u32>& black) {
    white.clear();
    black.clear();
    bool used[64] = {};
    std::vector<u32>* side = &white;
    for (const char* c = name; *c; ++c) {
        if (*c == 'k' && c != name) side = &black;
        u32 s;
        do s = u32(std::rand() % 64);
        while (used[s] || (*c == 'p' && (s < 8 || s >= 56)));
        used[s] = true;
        side->push_back(s);
    }
    white.push_back(64);
    black.push_back(64);
}

bool hasPawn(const char* name) {
    return std::strchr(name, 'p') != nullptr;
}

// The 8 symmetries of the board as square maps.
u32 symmetry(u32 s, int k) {
    if (k & 1) s ^= 7;
    if (k & 2) s ^= 56;
    if (k & 4) s = (s >> 3) | ((s & 7) << 3);
    return s;
}

// White's pawns (the last men of its list) form a set that the file mirror
// keeps: then both orientations are placements of their own.
bool mirroredPawnPair(const char* name, const std::vector<u32>& white) {
    if (std::strncmp(name + 1, "pp", 2) != 0 && std::strncmp(name + 2, "pp", 2) != 0) return false;
    const size_t n = white.size() - 1;
    return (white[n - 1] ^ 7) == white[n - 2];
}

bool onLongDiagonal(u32 s) {
    return (s & 7) == (s >> 3) || (s & 7) == 7 - (s >> 3);
}

}  // namespace

TEST_F(IndexTables, EveryIndexIsBelowTheLargestAndSymmetricPlacementsShareIt) {
    std::srand(12345);
    const EndgameEntry* table = endgameTable();
    int indexed = 0;
    for (int id = 0; id < ENDGAME_COUNT; ++id) {
        const EndgameEntry& e = table[id];
        for (int trial = 0; trial < 400; ++trial) {
            std::vector<u32> w, b;
            randomPlacement(e.name, w, b);
            u32 index;
            if (!e.indexOf(w.data(), b.data(), index)) {
                EXPECT_EQ(index, NO_INDEX);
                continue;
            }
            ++indexed;
            ASSERT_LT(index, e.maxIndex) << e.name;
            // The pawn classes know only the file mirror; the others all eight
            // symmetries (the Black king off the long diagonals, which a
            // symmetry can leave in place).
            const bool pawns = hasPawn(e.name);
            if (!pawns && onLongDiagonal(b[0])) continue;
            if (mirroredPawnPair(e.name, w)) continue;
            for (int k = 1; k < (pawns ? 2 : 8); ++k) {
                std::vector<u32> ws = w, bs = b;
                for (auto* list : {&ws, &bs})
                    for (size_t i = 0; i + 1 < list->size(); ++i)
                        (*list)[i] = symmetry((*list)[i], k);
                u32 other;
                ASSERT_TRUE(e.indexOf(ws.data(), bs.data(), other)) << e.name;
                EXPECT_EQ(other, index) << e.name << " symmetry " << k;
            }
        }
    }
    EXPECT_GT(indexed, ENDGAME_COUNT * 300);
}

TEST_F(IndexTables, WorkedExamplesAndPlacementsWithoutIndex) {
    const EndgameEntry* table = endgameTable();
    auto find = [&](const char* name) -> const EndgameEntry& {
        int i = 0;
        while (std::strcmp(table[i].name, name) != 0) ++i;
        return table[i];
    };
    u32 index;
    // krpk: Ke1 Ra1 Pe2 v Ke8 is mirrored to files a-d: pawn d2 (slot 23).
    const u32 w1[] = {4, 0, 12, 64}, b1[] = {60, 64};
    ASSERT_TRUE(find("krpk").indexOf(w1, b1, index));
    EXPECT_EQ(index, 23u * 64 * 64 * 64 + 3 * 64 * 64 + 59 * 64 + 7);
    // kqk: Kc3 v Ka1 has a king pair; Kb2 v Ka1 touches.
    const u32 w2[] = {18, 40, 64}, w3[] = {9, 40, 64}, b2[] = {0, 64};
    EXPECT_TRUE(find("kqk").indexOf(w2, b2, index));
    EXPECT_FALSE(find("kqk").indexOf(w3, b2, index));
    EXPECT_EQ(index, NO_INDEX);
    // krrk: two rooks on one square.
    const u32 w4[] = {18, 40, 40, 64};
    EXPECT_FALSE(find("krrk").indexOf(w4, b2, index));
    // kpk: a pawn on the last rank.
    const u32 w5[] = {18, 60, 64};
    EXPECT_FALSE(find("kpk").indexOf(w5, b2, index));
    EXPECT_EQ(blocksPerSide(find("kpk").maxIndex), 6u);
}

TEST(TablebaseStoredValues, BytesMeanDistancesBySideToMove) {
    const PackedValue whiteMates = 1;
    EXPECT_EQ(tbDecodeStoredValue(0, 1), 1 << 3 | whiteMates);
    EXPECT_EQ(tbDecodeStoredValue(0, 252), 253 << 3 | whiteMates);
    EXPECT_EQ(tbDecodeStoredValue(1, 252), 254 << 3 | whiteMates);  // not Black in 253
    EXPECT_EQ(tbDecodeStoredValue(0, 2), 0 << 3 | 2);               // White to move is mated
}

TEST(TablebaseFiles, NamesJoinDirectoryAndSchemeExtension) {
    EXPECT_EQ(tbFilePath("/tb/", "kqk", 4), "/tb/kqk.gtb.cp4");
    EXPECT_EQ(tbFilePath("/tb2", "kqk", 4), "/tb2/kqk.gtb.cp4");
    EXPECT_EQ(tbFilePath("", "kqk", 4), "kqk.gtb.cp4");
    EXPECT_EQ(tbFilePath("d", "kpk", 0), "d/kpk.gtb");
    const std::string longDir(255, 'x');
    EXPECT_EQ(tbFilePath(longDir, "kqkr", 4).size(), 255u + 1 + 12);
}

TEST(TablebaseDecoders, RunLengthBlocksDecodeExactlyTheirCount) {
    std::vector<u8> out(BUFFER_SIZE);
    const u8 escaped[] = {253, 253, 7};
    ASSERT_TRUE(tbDecodeBlock(7, escaped, 3, out.data(), 2));
    EXPECT_TRUE(out[0] == 253 && out[1] == 7);
    const u8 run[] = {1, 253, 4, 9, 2};
    ASSERT_TRUE(tbDecodeBlock(7, run, 5, out.data(), 6));
    EXPECT_EQ(std::vector<u8>(out.begin(), out.begin() + 6), (std::vector<u8>{1, 9, 9, 9, 9, 2}));
    EXPECT_FALSE(tbDecodeBlock(7, run, 5, out.data(), 5));  // input left over
    EXPECT_FALSE(tbDecodeBlock(7, run, 5, out.data(), 7));  // too short
    EXPECT_FALSE(tbDecodeBlock(7, run, 3, out.data(), 3));  // run cut off
    EXPECT_FALSE(tbDecodeBlock(7, escaped, 1, out.data(), 1));
    const u8 longRun[] = {253, 200, 1};
    EXPECT_FALSE(tbDecodeBlock(7, longRun, 3, out.data(), 100));  // run passes the count
}

TEST(TablebaseDecoders, HuffmanBlocksStayInsideTreeAndBitStream) {
    std::vector<u8> out(BUFFER_SIZE, 0xEE);
    // A single leaf for the symbol 0: every bit is one byte 0. Byte 4 holds
    // the leaf bit and 7 symbol bits, byte 5 the last symbol bit and 7 data bits.
    const u8 leaf[] = {5, 0, 0, 0, 0x01, 0x00};
    ASSERT_TRUE(tbDecodeBlock(1, leaf, 6, out.data(), 5));
    EXPECT_TRUE(std::all_of(out.begin(), out.begin() + 5, [](u8 b) { return b == 0; }));
    const u8 tooLong[] = {8, 0, 0, 0, 0x01, 0x00};  // 8 symbols, 7 bits left
    EXPECT_FALSE(tbDecodeBlock(1, tooLong, 6, out.data(), 8));
    EXPECT_FALSE(tbDecodeBlock(1, leaf, 6, out.data(), 4));  // count differs from the block's
    const u8 padded[] = {5, 0, 0, 0, 0x01, 0x00, 0x00};
    EXPECT_FALSE(tbDecodeBlock(1, padded, 7, out.data(), 5));  // 10 bits left unread
    // Inner nodes without end: the node limit ends the tree.
    std::vector<u8> deep(4 + 200, 0);
    deep[0] = 1;
    EXPECT_FALSE(tbDecodeBlock(1, deep.data(), u32(deep.size()), out.data(), 1));
}

TEST(TablebaseDecoders, MalformedCompressedBlocksFail) {
    std::vector<u8> out(BUFFER_SIZE);
    std::vector<u8> junk(300);
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = u8(i * 37 + 11);
    for (int scheme : {2, 3, 4})
        EXPECT_FALSE(tbDecodeBlock(scheme, junk.data(), 300, out.data(), 16384));
    std::vector<u8> lzma(40, 0);
    lzma[0] = 2;  // unknown filter
    EXPECT_FALSE(tbDecodeBlock(4, lzma.data(), 40, out.data(), 100));
    lzma[0] = 0;
    lzma[1] = 225;  // lc/lp/pb out of range
    EXPECT_FALSE(tbDecodeBlock(4, lzma.data(), 40, out.data(), 100));
    EXPECT_FALSE(tbDecodeBlock(4, lzma.data(), 18, out.data(), 100));  // shorter than its header
    EXPECT_FALSE(tbDecodeBlock(9, junk.data(), 300, out.data(), 299));
    EXPECT_FALSE(tbDecodeBlock(5, junk.data(), 300, out.data(), 300));
}

TEST(TablebaseDecoders, ZlibBlocksWithBytesAfterTheirStreamFail) {
    std::vector<u8> plain(1000), out(BUFFER_SIZE);
    for (size_t i = 0; i < plain.size(); ++i) plain[i] = u8(i % 7);
    std::vector<u8> packed(compressBound(uLong(plain.size())) + 1);
    uLongf length = packed.size();
    ASSERT_EQ(compress(packed.data(), &length, plain.data(), uLong(plain.size())), Z_OK);
    ASSERT_TRUE(tbDecodeBlock(3, packed.data(), u32(length), out.data(), 1000));
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), out.begin()));
    EXPECT_FALSE(tbDecodeBlock(3, packed.data(), u32(length + 1), out.data(), 1000));
}
