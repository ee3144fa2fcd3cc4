// Searches on four threads sharing one table and pawn hash, started and
// stopped over and over by a command-loop thread. Run under ThreadSanitizer
// (preset tsan) this must report nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "search/chess_player.h"
#include "search/threads.h"
#include "test_search_support.h"
#include "test_wbengine_support.h"

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

namespace {

// A whole engine with four search threads, for moves that thread 0 hands over
// without a search (random and book moves): the hand-over then meets the
// helpers' start, when they copy the game board.
struct FourThreadEngine : EngineWithBoard {
    ChessPlayer& player = engine.player;

    FourThreadEngine() {
        player.maxCores = 4;
        player.numberOfCores = 4;
        player.postThinking = 0;
        player.bookEnabled = 0;
    }
    // The engine moves once for the side to move, as the command loop starts
    // it; `meanwhile` runs on this thread until the move is handed over.
    // Answers whether the game record grew by one ply.
    bool move(const std::function<void()>& meanwhile = [] { std::this_thread::yield(); }) {
        const u32 plies = player.plyCount;
        engine.engineColor = Color(player.board->sideToMove);
        player.prepareSearch(false);
        player.startSearch();
        while (player.isSearchBusy()) meanwhile();
        return player.plyCount == plies + 1 && player.board->isConsistent();
    }
};

}  // namespace

// Thread 0 checks a random or book move's legality while the helpers copy the
// game board; the 0x88 board's legality test makes and unmakes moves, so it
// must not run on the game board then. Under ThreadSanitizer these report no
// race; elsewhere a helper's copy of a half-made position could crash it.
TEST(SearchConcurrency, RandomMovesWithFourThreadsLeaveTheGameBoardAlone) {
    FourThreadEngine e;
    testing::internal::CaptureStdout();
    e.player.randomMoveMode = 1;
    for (int round = 0; round < 60; ++round) {
        ASSERT_TRUE(e.engine.cmdSetBoard(
            {"r1b1qN1k/1pp3p1/p2p3n/4p1B1/8/1BP4Q/PP3KPP/8", "w", "-", "-", "0", "1"}));
        ASSERT_TRUE(e.move()) << "round " << round;
    }
    testing::internal::GetCapturedStdout();
}

TEST(SearchConcurrency, BookMovesWithFourThreadsLeaveTheGameBoardAlone) {
    FourThreadEngine e;
    const std::string book = std::string(TALUN_DATA_DIR) + "/books/performance.bin";
    std::strcpy(e.player.bookFilePath, book.c_str());
    testing::internal::CaptureStdout();
    // Eight plies a game: from the third on the side to move has king moves,
    // whose legality the 0x88 board tests by making them. A line that leaves
    // the book is searched to depth 2.
    for (int game = 0; game < 6; ++game) {
        ASSERT_TRUE(e.engine.cmdNew({}));
        ASSERT_TRUE(e.engine.cmdSd({"2"}));
        e.player.bookEnabled = 1;
        for (int ply = 0; ply < 8; ++ply) ASSERT_TRUE(e.move()) << "game " << game;
    }
    testing::internal::GetCapturedStdout();
}

// "time" may run while thread 0 hands over its move and changes the game
// record (the draw test even plays the move and takes it back): it reads the
// ply count under the record's lock, and its result is unchanged.
TEST(SearchConcurrency, TimeDuringTheHandOverOfAMove) {
    FourThreadEngine e;
    testing::internal::CaptureStdout();
    for (int game = 0; game < 10; ++game) {
        ASSERT_TRUE(e.engine.cmdNew({}));
        e.player.randomMoveMode = 1;
        for (int ply = 0; ply < 4; ++ply) {
            ASSERT_TRUE(e.move([&] { e.engine.cmdTime({"2900"}); })) << "game " << game;
            // 40 moves in 300 s: the first session runs; 2900 cs are left of it.
            ASSERT_TRUE(e.engine.cmdTime({"2900"}));
            EXPECT_EQ(e.engine.clock.elapsed.load(), 30000 - 2900);
        }
    }
    testing::internal::GetCapturedStdout();
}
