#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "eval/pawn_hash.h"
#include "search/chess_player.h"
#include "search/threads.h"

namespace {

std::string prepare(ChessPlayer& p, bool clearHash) {
    testing::internal::CaptureStdout();
    p.prepareSearch(clearHash);
    return testing::internal::GetCapturedStdout();
}

std::unique_ptr<ChessPlayer> smallPlayer() {
    auto p = std::make_unique<ChessPlayer>();
    p->ttHashSizeMB = 1;
    p->pawnHashSizeMB = 1;
    return p;
}

}  // namespace

TEST(SearchController, FirstPreparationAllocatesBothTablesAndThePool) {
    auto p = smallPlayer();
    EXPECT_EQ(prepare(*p, false), "# new size of TT hash: 1 MB\n# new size of Pawn hash: 1 MB\n");
    ASSERT_NE(p->transpositionTable, nullptr);
    EXPECT_EQ(p->transpositionTable->entryCount, 65536u);
    EXPECT_EQ(p->transpositionTable->bucketMask, 16383u);
    EXPECT_EQ(p->pawnHashTable->entryCount(), 65536u);
    ASSERT_NE(p->threadPool, nullptr);
    EXPECT_EQ(p->threadPool->count, 1u);
    SearchThread* t = p->searchThread(0);
    EXPECT_EQ(t->searcher.threadIndex, 0u);
    EXPECT_EQ(t->searcher.transpositionTable, p->transpositionTable);
    EXPECT_EQ(t->searcher.board.sideToMove, WHITE);
    EXPECT_EQ(t->thread, nullptr);  // no thread runs before the first search
    EXPECT_FALSE(p->isSearchBusy());

    // Nothing changed: nothing printed, nothing rebuilt.
    TranspositionTable* table = p->transpositionTable;
    EXPECT_EQ(prepare(*p, false), "");
    EXPECT_EQ(p->transpositionTable, table);
    EXPECT_EQ(p->searchThread(0), t);
    p->stopSearch();  // every thread idle: does nothing
    EXPECT_FALSE(p->isSearchBusy());
}

TEST(SearchController, SizeChangesAndNewGame) {
    auto p = smallPlayer();
    prepare(*p, false);
    p->ttHashSizeMB = 2;
    EXPECT_EQ(prepare(*p, false), "# new size of TT hash: 2 MB\n");
    EXPECT_EQ(p->transpositionTable->entryCount, 131072u);
    p->pawnHashSizeMB = 3;  // not a power of two: the largest that fits
    EXPECT_EQ(prepare(*p, false), "# new size of Pawn hash: 2 MB\n");
    EXPECT_EQ(p->pawnHashSizeMB, 2u);

    // "new": both tables recreated and cleared, the pool rebuilt.
    storeTT(*p->transpositionTable, 12345, 0, -32000, 31999, -10, 10, 0, 3, 0, 0);
    SearchThread* old = p->searchThread(0);
    EXPECT_EQ(prepare(*p, true), "# new size of TT hash: 2 MB\n# new size of Pawn hash: 2 MB\n");
    Score s;
    Move m = 0;
    bool matched = false;
    EXPECT_FALSE(probeTT(*p->transpositionTable, 12345, -10, 10, 0, 0, s, m, matched));
    EXPECT_FALSE(matched);
    EXPECT_NE(p->searchThread(0), nullptr);
    (void)old;
}

TEST(SearchController, CoresAreCappedAndThePoolFollows) {
    auto p = smallPlayer();
    p->maxCores = 2;
    prepare(*p, false);
    testing::internal::CaptureStdout();
    p->setNumberOfCores(3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "# will now use 2 cores (requested=3, current=1, max=2)\n");
    EXPECT_EQ(p->threadPool->count, 1u);  // changes at the next preparation
    EXPECT_EQ(prepare(*p, false), "");
    ASSERT_EQ(p->threadPool->count, 2u);
    EXPECT_EQ(p->searchThread(1)->searcher.threadIndex, 1u);
    EXPECT_EQ(p->searchThread(2), nullptr);
}

TEST(SearchController, TableThatCannotBeHadKeepsTheProgramAlive) {
    auto p = smallPlayer();
    p->ttHashSizeMB = 4;
    setTableAllocationLimitForTesting(1 << 20);
    std::string out = prepare(*p, false);
    setTableAllocationLimitForTesting(0);
    EXPECT_EQ(out,
              "# could not allocate 4 MB for the TT hash\n"
              "# could not allocate 2 MB for the TT hash\n"
              "# new size of TT hash: 1 MB\n"
              "# new size of Pawn hash: 1 MB\n");
    EXPECT_EQ(p->ttHashSizeMB, 1u);
    EXPECT_EQ(p->ttHashSizeMBInUse, 1u);
    EXPECT_EQ(p->transpositionTable->entryCount, 65536u);
    EXPECT_EQ(prepare(*p, false), "");  // the failed size is not tried again
}
