// The work of the search threads: the main search thread's time allocation,
// the move without search (random game or opening book), the search, the
// hand-over of the move; and the controller's side of the search's reports:
// the time-out test, the thinking lines and the statistics.
#include <cstdio>
#include <sstream>
#include <string>

#include "book/book.h"
#include "eval/pawn_hash.h"
#include "search/chess_player.h"
#include "search/game_moves.h"
#include "search/search_output.h"
#include "search/threads.h"
#include "search/time_control.h"
#include "search/transposition_table.h"

namespace {

// Pool nodes between two readings of the clock by thread 0.
constexpr u64 TIME_CHECK_INTERVAL = 4096;

// The clock runs from the start of a search until the move is handed over.
void startSearchClock(Clock& clock) {
    i64 now = nowCentiseconds();
    if (clock.running) {
        clock.elapsedAtSearchStart = clock.elapsed + (now - clock.startStamp);
    } else {
        clock.elapsedAtSearchStart = i64(clock.elapsed);
        clock.startStamp = now;
        clock.running = 1;
    }
}

// The legal move of the position that a book move names, or 0. A book is data
// from outside: an entry that does not fit the position is not played.
Move legalBookMove(Board& position, Move bookMove) {
    MoveList list;
    bool inCheck = false;
    generateLegalMoves(position, list, inCheck);
    for (u32 i = 0; i < list.count; ++i) {
        Move m = list.move(i);
        if (moveFrom(m) != moveFrom(bookMove) || moveTo(m) != moveTo(bookMove)) continue;
        bool promotion = moveKind(m) == MOVE_PROMOTION;
        if (promotion != (moveKind(bookMove) == MOVE_PROMOTION)) continue;
        if (promotion && moveExtra(m) != moveExtra(bookMove)) continue;
        return m;
    }
    return NO_MOVE;
}

// `position` is a copy of the game position that this thread may change.
Move bookMove(ChessPlayer& player, Board& position) {
    if (player.book == nullptr) player.book = new Book(player.bookFilePath);
    Move m = NO_MOVE;
    if (!player.book->probe(position, m)) return NO_MOVE;
    return legalBookMove(position, m);
}

// The budget of this move, with its four lines; returns the allocation.
TimeAllocation allocateMoveTime(ChessPlayer& player) {
    Clock& clock = *player.clock;
    TimeAllocation a = allocateTime(clock.movesPerSession, clock.timePerSession, clock.increment,
                                    player.plyCount, clock.elapsedTime());
    std::ostringstream text;
    printTimeAllocation(text, a);
    printAndFlush(text.str());
    clock.maxTime = a.maxTime;
    return a;
}

void runSearch(Searcher& searcher, const Board& board, Move& best, Move& ponder) {
    if (board.sideToMove == WHITE) {
        searcher.iterativeDeepening<WHITE>(board, best, ponder);
    } else {
        searcher.iterativeDeepening<BLACK>(board, best, ponder);
    }
}

void secondaryThreadWork(ChessPlayer& player, SearchThread& thread) {
    Move best, ponder;
    runSearch(thread.searcher, *player.board, best, ponder);
    thread.markIdle();
}

// Thread 0 ends the others' searches before the move is handed over.
void stopSecondaryThreads(ChessPlayer& player) {
    for (u32 i = 1; i < player.threadPool->count; ++i) {
        SearchThread* t = player.threadPool->items[i];
        if (!t->isBusy()) continue;
        t->searcher.stop.store(1, std::memory_order_relaxed);
        t->waitIdle();
    }
}

void mainThreadWork(ChessPlayer& player, SearchThread& thread) {
    Clock& clock = *player.clock;
    startSearchClock(clock);
    player.lastTimeCheckNodes = 0;

    Move move = NO_MOVE;
    player.ponderMove = NO_MOVE;  // only a search finds one
    TimeAllocation budget{};
    const bool timeControl = clock.timeControlOn != 0;
    if (timeControl) budget = allocateMoveTime(player);
    // The helpers are copying the game board as they start, so no thread may
    // write it now; the legality tests of the 0x88 board make and unmake
    // moves. The move without search is looked for on thread 0's own board,
    // which its search overwrites anyway; a copy draws the same moves.
    const bool randomMove = player.randomMoveMode != 0;
    const bool book = timeControl && player.bookEnabled;
    Board& position = thread.searcher.board;
    if (randomMove || book) position = *player.board;
    if (randomMove && !randomLegalMove(position, move)) move = NO_MOVE;
    if (move == NO_MOVE && book) move = bookMove(player, position);

    if (move == NO_MOVE) {
        if (player.pawnHashTable != nullptr) player.pawnHashTable->pawnHashHits.store(0);
        if (!player.outOfBook) {
            if (!timeControl) {
                budget = allocateTime(clock.movesPerSession, clock.timePerSession, clock.increment,
                                      player.plyCount, clock.elapsedTime());
            }
            if (wantsOutOfBookCorrection(budget)) {
                clock.maxTime = correctedMaxTime(clock.maxTime);
                printAndFlush(
                    "# out of book: corrected maxTime = " + std::to_string(clock.maxTime) + "\n");
            }
            player.outOfBook = 1;
        }
        player.firstMoveTimeLimit = firstRootMoveLimit(clock.maxTime, budget.remaining);
        Move ponder = NO_MOVE;
        runSearch(thread.searcher, *player.board, move, ponder);
        player.ponderMove = ponder;
    }

    stopSecondaryThreads(player);
    // The clock stops before the move goes out: the interface answers a move
    // with "time", which sets the used time while this thread is still busy,
    // and a later stop would add this search's time to it once more.
    clock.stop();
    // A search stopped by the controller hands out no move, whatever its source.
    if (move != NO_MOVE && !thread.searcher.aborted.load(std::memory_order_relaxed)) {
        player.engineInterface->makeEngineMove(move);
    }
    // Idle only now: until the move is made, no command may change the game
    // position or start another search.
    thread.markIdle();
}

u64 ttFilledInSample(const TranspositionTable* table) {
    if (table == nullptr) return 0;
    u64 n = table->entryCount < FILL_SAMPLE ? table->entryCount : FILL_SAMPLE;
    u64 used = 0;
    for (u64 i = 0; i < n; ++i) used += table->entries[i].key() != 0;
    return used;
}

}  // namespace

void searchThreadWork(u32 index, void* userData) {
    ChessPlayer& player = *static_cast<ChessPlayer*>(userData);
    SearchThread* thread = player.searchThread(index);
    if (thread == nullptr) return;
    if (index == 0) {
        mainThreadWork(player, *thread);
    } else {
        secondaryThreadWork(player, *thread);
    }
}

u64 ChessPlayer::totalNodes() const {
    u64 sum = 0;
    if (threadPool == nullptr) return 0;
    for (u32 i = 0; i < threadPool->count; ++i) {
        sum += threadPool->items[i]->searcher.nodes.load(std::memory_order_relaxed);
    }
    return sum;
}

// Thread 0 reads the clock once the pool has searched another 4096 nodes
// (counted from the last reading, not by multiples: with several threads the
// sum would step over most multiples unseen). The first root move is searched
// to its end within a wider limit, so that even a budget of zero or less
// yields a searched move; after it the budget holds, also within the first
// depth, which in a position full of heavy pieces can take minutes.
bool ChessPlayer::isTimeout(Searcher& searcher) {
    // The sum falls when a helper thread clears its counters of the previous search.
    u64 nodes = totalNodes();
    if (nodes >= lastTimeCheckNodes && nodes - lastTimeCheckNodes < TIME_CHECK_INTERVAL) {
        return false;
    }
    lastTimeCheckNodes = nodes;
    if (!clock->timeControlOn) return false;
    const i64 limit = searcher.rootMoveSearched ? i64(clock->maxTime) : firstMoveTimeLimit;
    if (!isTimeUsedUp(clock->elapsedTime() - clock->elapsedAtSearchStart, limit)) return false;
    printAndFlush("# timeout\n");
    return true;
}

void ChessPlayer::printThinking(Searcher&, i32 depth, Score score, const PvLine& pv) {
    if (!postThinking) return;
    i64 time = clock->elapsedTime() - clock->elapsedAtSearchStart;
    printAndFlush(thinkingLine(depth, score, time, totalNodes(), pv));
}

void ChessPlayer::printSearchStatistics(Searcher&) {
    if (postThinking) printSearchCounters();
}

void ChessPlayer::printSearchCounters() {
    i64 time = clock->elapsedTime() - clock->elapsedAtSearchStart;
    SearchStatistics s;
    for (u32 i = 0; threadPool != nullptr && i < threadPool->count; ++i) {
        const Searcher& t = threadPool->items[i]->searcher;
        s.nodes += t.nodes.load(std::memory_order_relaxed);
        s.qsNodes += t.qsNodes.load(std::memory_order_relaxed);
        s.qsChecks += t.qsChecks.load(std::memory_order_relaxed);
        s.cutoffs += t.cutoffs.load(std::memory_order_relaxed);
        s.cutoffsOnFirstMove += t.cutoffsOnFirstMove.load(std::memory_order_relaxed);
        s.qsCutoffs += t.qsCutoffs.load(std::memory_order_relaxed);
        s.qsCutoffsOnFirstMove += t.qsCutoffsOnFirstMove.load(std::memory_order_relaxed);
        s.ttHashHits += t.ttHashHits.load(std::memory_order_relaxed);
        s.tbHits += t.tbHits.load(std::memory_order_relaxed);
    }
    s.pawnHashHits = pawnHashTable != nullptr ? pawnHashTable->pawnHashHits.load() : 0;
    statistics = s;
    std::ostringstream text;
    writeSearchStatistics(
        text, s, time, fillPercent(ttFilledInSample(transpositionTable)),
        fillPercent(pawnHashTable != nullptr ? pawnHashTable->countFilled(FILL_SAMPLE) : 0));
    printAndFlush(text.str());
}
