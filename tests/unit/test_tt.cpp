#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "search/transposition_table.h"

namespace {

// A table of one bucket makes every key land in the same four slots.
struct OneBucket : ::testing::Test {
    TranspositionTable table;
    void SetUp() override { ASSERT_TRUE(table.allocate(4)); }
    TTData slot(int i) const { return table.entries[i].load(); }
};

constexpr Score LO = -32000, HI = 31999;

}  // namespace

TEST(TTSizing, PowerOfTwoEntriesThatFit) {
    EXPECT_EQ(entryCountForSize(1, 16), 65536u);
    EXPECT_EQ(entryCountForSize(3, 16), 131072u);  // 3 MB: the 2 MB power of two
    EXPECT_EQ(entryCountForSize(256, 16), 256u * 65536u);
    EXPECT_EQ(entryCountForSize(2048, 16), 1u << 27);
    TranspositionTable t;
    ASSERT_TRUE(t.allocate(entryCountForSize(1, 16)));
    EXPECT_EQ(t.bucketMask, 16383u);
    for (u32 i = 0; i < t.entryCount; i++) ASSERT_EQ(t.entries[i].key(), 0u);
}

TEST(TTSizing, RefusedAllocationLeavesAnEmptyTable) {
    setTableAllocationLimitForTesting(1 << 20);
    TranspositionTable t;
    EXPECT_FALSE(t.allocate(1 << 17));  // 2 MB
    EXPECT_EQ(t.entries, nullptr);
    EXPECT_TRUE(t.allocate(1 << 16));
    setTableAllocationLimitForTesting(0);
    // An empty table stores nothing and finds nothing.
    TranspositionTable empty;
    storeTT(empty, 42, 0, LO, HI, -100, 100, 0, 3, 5, 0);
    Score s = 0;
    Move m = 0;
    bool matched = true;
    EXPECT_FALSE(probeTT(empty, 42, -100, 100, 0, 3, s, m, matched));
    EXPECT_FALSE(matched);
}

TEST_F(OneBucket, MateScoreIsRelativeToTheStoredPosition) {
    // A node at ply 2 sees mate 3 plies ahead: 32000 - 5 from the root.
    storeTT(table, 77, 0, 2 - 32000, 31999 - 2, -50, 50, 2, 4, 31995, 0);
    EXPECT_EQ(slot(0).score, 31997);
    Score s = 0;
    Move m = 0;
    bool matched = false;
    ASSERT_TRUE(probeTT(table, 77, -50, 50, 4, 4, s, m, matched));
    EXPECT_TRUE(matched);
    EXPECT_EQ(s, 31993);
    // Mated scores the same way, the other sign.
    storeTT(table, 78, 0, 2 - 32000, 31999 - 2, -50, 50, 2, 4, -31995, 0);
    ASSERT_TRUE(probeTT(table, 78, -50, 50, 4, 4, s, m, matched));
    EXPECT_EQ(s, -31993);
}

TEST_F(OneBucket, BoundsFromTheWindow) {
    storeTT(table, 1, 0, LO, HI, -10, 10, 0, 3, 10, 0);   // score >= beta
    storeTT(table, 2, 0, LO, HI, -10, 10, 0, 3, -10, 0);  // score <= alpha
    storeTT(table, 3, 0, LO, HI, -10, 10, 0, 3, 5, 0);    // inside
    storeTT(table, 4, 0, LO, HI, -10, 10, 0, 3, HI, 0);   // mate bound: exact
    EXPECT_EQ(slot(0).bound, BOUND_LOWER);
    EXPECT_EQ(slot(1).bound, BOUND_UPPER);
    EXPECT_EQ(slot(2).bound, BOUND_EXACT);
    EXPECT_EQ(slot(3).bound, BOUND_EXACT);

    Score s = 0;
    Move m = 0;
    bool matched = false;
    // A lower bound answers only at or above beta, an upper bound at or below alpha.
    EXPECT_TRUE(probeTT(table, 1, -10, 10, 0, 3, s, m, matched));
    EXPECT_FALSE(probeTT(table, 1, -10, 20, 0, 3, s, m, matched));
    EXPECT_TRUE(probeTT(table, 2, -10, 10, 0, 3, s, m, matched));
    EXPECT_FALSE(probeTT(table, 2, -20, 10, 0, 3, s, m, matched));
    EXPECT_TRUE(matched);
}

TEST_F(OneBucket, ShallowEntryGivesOnlyItsMove) {
    Move e2e4 = makeMoveWord(12, 28, MOVE_NORMAL, 1);
    storeTT(table, 9, 0, LO, HI, -10, 10, 0, 2, 5, e2e4);
    Score s = 1234;
    Move m = 0;
    bool matched = false;
    EXPECT_FALSE(probeTT(table, 9, -10, 10, 0, 3, s, m, matched));
    EXPECT_TRUE(matched);
    EXPECT_EQ(m, e2e4);
    EXPECT_EQ(s, 1234);
    m = 0;
    EXPECT_FALSE(probeTT(table, 10, -10, 10, 0, 1, s, m, matched));
    EXPECT_FALSE(matched);
    EXPECT_EQ(m, 0);
}

TEST_F(OneBucket, SameKeyOverwritesInPlaceWhateverTheDepth) {
    storeTT(table, 5, 0, LO, HI, -10, 10, 0, 9, 5, 0);
    storeTT(table, 6, 0, LO, HI, -10, 10, 0, 9, 5, 0);
    storeTT(table, 5, 0, LO, HI, -10, 10, 0, 1, 7, 0);
    EXPECT_EQ(slot(0).key, 5u);
    EXPECT_EQ(slot(0).depth, 1);
    EXPECT_EQ(slot(0).score, 7);
    EXPECT_EQ(slot(2).key, 0u);
}

TEST_F(OneBucket, ReplacementTakesTheFirstShallowest) {
    int depths[4] = {5, 3, 3, 7};
    for (int i = 0; i < 4; i++) storeTT(table, 100 + i, 20, LO, HI, -10, 10, 0, depths[i], 0, 0);
    storeTT(table, 200, 20, LO, HI, -10, 10, 0, 6, 0, 0);
    EXPECT_EQ(slot(1).key, 200u);
    EXPECT_EQ(slot(2).key, 102u);
    // Among equal depths the later search's entry goes first.
    TranspositionTable t;
    ASSERT_TRUE(t.allocate(4));
    u8 ages[4] = {10, 12, 11, 12};
    for (int i = 0; i < 4; i++) storeTT(t, 300 + i, ages[i], LO, HI, -10, 10, 0, 4, 0, 0);
    storeTT(t, 400, 13, LO, HI, -10, 10, 0, 4, 0, 0);
    EXPECT_EQ(t.entries[1].key(), 400u);
}

// Entries written by several threads at once never read back as a key of one
// write with the data of another.
TEST(TTConcurrency, TornWritesAreRejected) {
    TranspositionTable t;
    ASSERT_TRUE(t.allocate(4));
    const HashKey keys[2] = {0x1111111100000000ull, 0x2222222200000000ull};
    std::vector<std::thread> writers;
    for (int w = 0; w < 2; w++)
        writers.emplace_back([&, w] {
            for (int i = 0; i < 200000; i++) {
                // Move and score tell which writer stored the entry.
                storeTT(t, keys[w], 0, LO, HI, -10, 10, 0, 3, w + 1, Move(w + 1));
            }
        });
    int bad = 0;
    for (int i = 0; i < 200000; i++) {
        for (int w = 0; w < 2; w++) {
            Score s = 0;
            Move m = 0;
            bool matched = false;
            if (probeTT(t, keys[w], -10, 10, 0, 3, s, m, matched) && (s != w + 1 || m != w + 1))
                bad++;
        }
    }
    for (std::thread& th : writers) th.join();
    EXPECT_EQ(bad, 0);
}
