#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "eval/pawn_hash.h"

TEST(PawnHashTable, SizesAreThePowerOfTwoThatFits) {
    std::unique_ptr<PawnHashTable> t(PawnHashTable::create(1));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->entryCount(), 65536u);
    EXPECT_EQ(t->mask, 65535u);
    EXPECT_EQ(t->sizeMB(), 1u);
    ASSERT_TRUE(t->resize(3));  // 3 MB holds 2 MB worth of a power of two
    EXPECT_EQ(t->entryCount(), 131072u);
    EXPECT_EQ(t->sizeMB(), 2u);
    EXPECT_EQ(t->countFilled(1000000), 0u);
}

TEST(PawnHashTable, StoreLoadClearAndCount) {
    std::unique_ptr<PawnHashTable> t(PawnHashTable::create(1));
    const HashKey key = 0x123456789ABCDEF0ULL;
    PawnHashData d;
    d.mg = -37;
    d.eg = -43;
    d.openFiles = 0x81;
    d.halfOpenFiles = 0x24;
    PawnHashEntry& e = t->entryFor(key);
    PawnHashData out;
    EXPECT_FALSE(e.load(key, out));
    e.store(key, d);
    ASSERT_TRUE(e.load(key, out));
    EXPECT_EQ(out.mg, -37);
    EXPECT_EQ(out.eg, -43);
    EXPECT_EQ(out.openFiles, 0x81);
    EXPECT_EQ(out.halfOpenFiles, 0x24);
    // Another key on the same slot does not match.
    EXPECT_FALSE(e.load(key ^ (u64(1) << 40), out));
    EXPECT_EQ(t->countFilled(65536), 1u);
    t->countHit();
    t->countHit();
    EXPECT_EQ(t->pawnHashHits.load(), 2u);
    t->clear();
    EXPECT_FALSE(e.load(key, out));
    EXPECT_EQ(t->pawnHashHits.load(), 0u);
    EXPECT_EQ(t->countFilled(65536), 0u);
}

// An entry whose two words come from different writes is not taken for
// either write, and masks read back are always disjoint (their combined
// count indexes a 9-entry table).
TEST(PawnHashTable, TornAndForeignEntriesAreRejected) {
    const HashKey k1 = 0x1111222233334444ULL, k2 = 0x5555666677778888ULL;
    PawnHashData d1, d2;
    d1.mg = 10;
    d2.mg = -20;
    d2.openFiles = 0x0F;
    PawnHashEntry e;
    e.store(k1, d1);
    const u64 firstWord = e.keyXorData.load();
    e.store(k2, d2);
    e.keyXorData.store(firstWord);  // torn: key word of the first write, data of the second
    PawnHashData out;
    EXPECT_FALSE(e.load(k1, out));
    EXPECT_FALSE(e.load(k2, out));

    // Overlapping masks (never written by the evaluation) come back disjoint.
    PawnHashData bad;
    bad.openFiles = 0xFF;
    bad.halfOpenFiles = 0xFF;
    e.store(k1, bad);
    ASSERT_TRUE(e.load(k1, out));
    EXPECT_EQ(out.halfOpenFiles & out.openFiles, 0);
}

// Many threads write and read one shared entry without locks: every load that
// claims a key returns exactly the data written for that key.
TEST(PawnHashTable, ConcurrentWritersNeverYieldTornData) {
    std::unique_ptr<PawnHashTable> t(PawnHashTable::create(1));
    PawnHashEntry& e = t->entries[7];
    std::atomic<int> wrong{0};
    const auto dataFor = [](HashKey k) {
        PawnHashData d;
        d.mg = i16(k & 0x7FFF);
        d.eg = i16(-(k >> 20 & 0x7FFF));
        d.openFiles = u8(k >> 40);
        d.halfOpenFiles = u8(~(k >> 40));
        return d;
    };
    std::vector<std::thread> threads;
    for (int n = 0; n < 4; ++n)
        threads.emplace_back([&, n] {
            const HashKey mine = 0x9E3779B97F4A7C15ULL * u64(n + 1);
            for (int i = 0; i < 50000; ++i) {
                e.store(mine, dataFor(mine));
                for (int m = 0; m < 4; ++m) {
                    const HashKey k = 0x9E3779B97F4A7C15ULL * u64(m + 1);
                    PawnHashData out;
                    if (!e.load(k, out)) continue;
                    const PawnHashData want = dataFor(k);
                    if (out.mg != want.mg || out.eg != want.eg || out.openFiles != want.openFiles ||
                        out.halfOpenFiles != want.halfOpenFiles)
                        ++wrong;
                }
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(wrong.load(), 0);
}
