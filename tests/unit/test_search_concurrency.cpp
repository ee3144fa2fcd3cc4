// Searches on four threads sharing one table and pawn hash, started and
// stopped over and over by a command-loop thread. Run under ThreadSanitizer
// (preset tsan) this must report nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "search/chess_player.h"
#include "search/threads.h"
#include "test_search_support.h"

namespace {

NeverTimeout neverTimeout;
std::atomic<u64> finishedSearches{0};

const char* const POSITION = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8";

// Like the real work: every thread deepens until stopped; thread 0 ends its
// own search at a fixed depth and then stops the others.
void testWork(u32 index, void* userData) {
    ChessPlayer* player = static_cast<ChessPlayer*>(userData);
    SearchThread* self = player->searchThread(index);
    Searcher& s = self->searcher;
    PvLine pv{0, {}};
    for (i32 depth = 1 + i32(index % 2); depth < 64 && !s.stopped(); depth += index == 0 ? 1 : 2) {
        s.iterationDepth = depth;
        s.searchNode<WHITE>(-MATE_SCORE, MATE_SCORE, 0, depth, pv);
        if (index == 0 && depth == 6) break;
    }
    if (index == 0) {
        for (u32 i = 1; i < player->threadPool->count; i++) {
            SearchThread* other = player->searchThread(i);
            if (!other->isBusy()) continue;
            other->searcher.stop.store(1, std::memory_order_relaxed);
            other->waitIdle();
        }
    }
    finishedSearches.fetch_add(1);
    self->markIdle();
}

}  // namespace

TEST(SearchConcurrency, FourThreadsStartedAndStoppedByTheCommandLoop) {
    initEvaluationTables();
    auto player = std::make_unique<ChessPlayer>();
    player->ttHashSizeMB = 1;
    player->pawnHashSizeMB = 1;
    player->maxCores = 4;
    testing::internal::CaptureStdout();
    player->setNumberOfCores(4);
    player->prepareSearch(false);
    testing::internal::GetCapturedStdout();
    for (u32 i = 0; i < 4; i++) {
        SearchThread* t = player->searchThread(i);
        t->workFunction = testWork;
        t->searcher.searchInterface = &neverTimeout;
        ASSERT_TRUE(t->searcher.board.setFEN(POSITION));
    }
    finishedSearches = 0;
    std::thread commandLoop([&] {
        for (int round = 0; round < 40; round++) {
            player->startSearch();
            // Sometimes at once, sometimes mid-search, sometimes after thread 0 ended.
            std::this_thread::sleep_for(std::chrono::milliseconds(round % 4 * 5));
            player->stopSearch();
            EXPECT_FALSE(player->isSearchBusy());
        }
        // One search that thread 0 ends on its own.
        player->startSearch();
        while (player->isSearchBusy()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    commandLoop.join();
    EXPECT_EQ(finishedSearches.load(), 41u * 4);
    for (u32 i = 0; i < 4; i++) EXPECT_TRUE(player->searchThread(i)->searcher.board.isConsistent());
    // The destructor ends and joins the threads.
    player.reset();
}

namespace {

void searchUntilStopped(u32 index, void* userData) {
    SearchThread* self = static_cast<ChessPlayer*>(userData)->searchThread(index);
    while (!self->searcher.stopped()) std::this_thread::yield();
    self->markIdle();
}

}  // namespace

// A preparation that arrives while threads search (as "protover" may) leaves
// the tables and the pool that they use alone.
TEST(SearchConcurrency, PreparationWaitsWhileASearchRuns) {
    auto player = std::make_unique<ChessPlayer>();
    player->ttHashSizeMB = 1;
    player->pawnHashSizeMB = 1;
    testing::internal::CaptureStdout();
    player->prepareSearch(false);
    for (u32 i = 0; i < player->threadPool->count; i++)
        player->searchThread(i)->workFunction = searchUntilStopped;
    TranspositionTable* table = player->transpositionTable;
    SearchThread* thread = player->searchThread(0);
    player->startSearch();
    player->ttHashSizeMB = 2;
    player->prepareSearch(true);
    EXPECT_EQ(player->transpositionTable, table);
    EXPECT_EQ(player->transpositionTable->entryCount, 65536u);
    EXPECT_EQ(player->searchThread(0), thread);
    player->stopSearch();
    EXPECT_TRUE(thread->searcher.aborted.load());
    player->prepareSearch(false);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(player->transpositionTable->entryCount, 131072u);
    EXPECT_NE(out.find("# new size of TT hash: 2 MB"), std::string::npos);
}
