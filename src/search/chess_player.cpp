// ChessPlayer as search controller: the hash tables, the thread pool, starting
// and stopping searches, and the tear-down.
#include "search/chess_player.h"

#include <cstdio>
#include <thread>

#include "book/book.h"
#include "eval/eval_tables.h"
#include "eval/pawn_hash.h"
#include "search/threads.h"
#include "search/transposition_table.h"

namespace {

constexpr u32 TT_ENTRY_BYTES = 16;

u32 megabytesOf(u64 entries, u32 entryBytes) {
    return u32(entries * entryBytes >> 20);
}

void printNewSize(const char* name, u32 megabytes) {
    std::printf("# new size of %s: %u MB\n", name, megabytes);
    std::fflush(stdout);
}

// Allocates `table` for `sizeMB`, halving the size until the memory can be had.
// Returns the size in MB that is in use afterwards (0 when nothing could be had).
u32 allocateTranspositionTable(TranspositionTable& table, u32 sizeMB) {
    u32 count = entryCountForSize(sizeMB, TT_ENTRY_BYTES);
    for (;;) {
        if (table.allocate(count)) break;
        std::printf("# could not allocate %u MB for the TT hash\n",
                    megabytesOf(count, TT_ENTRY_BYTES));
        std::fflush(stdout);
        if (count <= entryCountForSize(1, TT_ENTRY_BYTES)) return 0;
        count /= 2;
    }
    u32 megabytes = megabytesOf(count, TT_ENTRY_BYTES);
    printNewSize("TT hash", megabytes);
    return megabytes;
}

}  // namespace

ChessPlayer::ChessPlayer() {
    u32 processors = std::thread::hardware_concurrency();
    // A library that cannot tell the processor count still leaves one search thread.
    maxCores = processors == 0 ? 1 : processors;
    for (Board::Undo& u : gameUndo) u = Board::clearedUndo();
}

ChessPlayer::~ChessPlayer() {
    stopSearch();
    destroyThreadPool();
    delete book;
    book = nullptr;
    releasePerftHash();
    delete transpositionTable;
    transpositionTable = nullptr;
    delete pawnHashTable;
    pawnHashTable = nullptr;
    delete board;
    board = nullptr;
}

void ChessPlayer::setNumberOfCores(u32 requested) {
    numberOfCores = requested < maxCores ? requested : maxCores;
    if (numberOfCores == 0) numberOfCores = 1;
    std::printf("# will now use %u cores (requested=%u, current=%u, max=%u)\n", numberOfCores,
                requested, threadCount, maxCores);
    std::fflush(stdout);
}

void ChessPlayer::prepareSearch(bool clearHash) {
    // The tables and the pool are in use while a thread searches; a
    // preparation then waits for the next one.
    if (isSearchBusy()) return;
    prepareTranspositionTable(clearHash);
    preparePawnHashTable(clearHash);
    bool rebuild = clearHash || threadPool == nullptr;
    if (numberOfCores != threadCount) {
        threadCount = numberOfCores;
        rebuild = true;
    }
    if (rebuild) buildThreadPool();
}

void ChessPlayer::prepareTranspositionTable(bool clearHash) {
    bool create = clearHash || transpositionTable == nullptr;
    if (!create && ttHashSizeMB == ttHashSizeMBInUse) return;
    if (transpositionTable == nullptr) transpositionTable = new TranspositionTable;
    u32 inUse = allocateTranspositionTable(*transpositionTable, ttHashSizeMB);
    ttHashSizeMBInUse = inUse;
    // Whatever could be had is what is asked for from now on, so a failed size
    // is not tried again before every search.
    ttHashSizeMB = inUse;
}

void ChessPlayer::preparePawnHashTable(bool clearHash) {
    bool create = clearHash || pawnHashTable == nullptr;
    if (!create && pawnHashSizeMB == pawnHashSizeMBInUse) return;
    if (pawnHashTable == nullptr) pawnHashTable = new PawnHashTable;
    // A successful resize gives fresh, cleared entries and a zero hit counter;
    // a failed one keeps the table as it was.
    bool done = false;
    for (u32 size = pawnHashSizeMB < 1 ? 1 : pawnHashSizeMB;; size /= 2) {
        if (pawnHashTable->resize(size)) {
            done = true;
            break;
        }
        std::printf("# could not allocate %u MB for the Pawn hash\n", size);
        std::fflush(stdout);
        if (size <= 1) break;
    }
    if (done) {
        printNewSize("Pawn hash", pawnHashTable->sizeMB());
    } else if (pawnHashTable->entries == nullptr) {
        delete pawnHashTable;  // the evaluation runs without a pawn hash
        pawnHashTable = nullptr;
    } else if (clearHash) {
        pawnHashTable->clear();
    }
    pawnHashSizeMBInUse = pawnHashTable != nullptr ? pawnHashTable->sizeMB() : 0;
    pawnHashSizeMB = pawnHashSizeMBInUse;
}

void ChessPlayer::destroyThreadPool() {
    if (threadPool == nullptr) return;
    for (u32 i = 0; i < threadPool->count; i++) threadPool->items[i]->requestExit();
    for (u32 i = 0; i < threadPool->count; i++) delete threadPool->items[i];
    delete[] threadPool->items;
    delete threadPool;
    threadPool = nullptr;
}

void ChessPlayer::buildThreadPool() {
    destroyThreadPool();
    initEvaluationTables();
    threadPool = new ThreadPool;
    threadPool->items = new SearchThread*[threadCount];
    threadPool->count = threadCount;
    for (u32 i = 0; i < threadCount; i++) {
        SearchThread* t = new SearchThread(searchThreadWork, this, i);
        Searcher& s = t->searcher;
        s.threadIndex = i;
        s.board.resetBoard();
        s.board.setFEN(START_FEN);
        s.transpositionTable = transpositionTable;
        s.pawnHashTable = pawnHashTable;
        s.tablebaseState = tablebaseState;
        s.clock = clock;
        s.searchInterface = this;
        threadPool->items[i] = t;
    }
}

void ChessPlayer::stopSearch() {
    if (threadPool == nullptr) return;
    for (u32 i = 0; i < threadPool->count; i++) {
        SearchThread* t = threadPool->items[i];
        if (!t->isBusy()) continue;
        t->searcher.aborted.store(1, std::memory_order_relaxed);
        t->searcher.stop.store(1, std::memory_order_relaxed);
        t->waitIdle();
    }
}

void ChessPlayer::startSearch() {
    if (threadPool == nullptr) return;
    // Thread 0 ends the search of the others when its own ends, so it is woken
    // last: every other thread is busy by then and gets its stop. (Woken first,
    // a quick thread 0 could finish before a later thread started, and that
    // thread would search on with nobody to stop it.)
    for (u32 i = threadPool->count; i-- > 0;) {
        SearchThread* t = threadPool->items[i];
        // Cleared here, before the wake-up, never by the thread: a stop sent
        // right after this cannot be undone by the starting search.
        t->searcher.stop.store(0, std::memory_order_relaxed);
        t->searcher.aborted.store(0, std::memory_order_relaxed);
        t->searcher.tablebaseState = tablebaseState;
        t->searcher.pawnHashTable = pawnHashTable;
        t->searcher.transpositionTable = transpositionTable;
        t->start();
    }
}

bool ChessPlayer::isSearchBusy() const {
    if (threadPool == nullptr) return false;
    for (u32 i = 0; i < threadPool->count; i++)
        if (threadPool->items[i]->isBusy()) return true;
    return false;
}

SearchThread* ChessPlayer::searchThread(u32 index) const {
    return threadPool != nullptr && index < threadPool->count ? threadPool->items[index] : nullptr;
}
