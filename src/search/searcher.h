// The per-thread search object. Every search thread owns one Searcher with its
// own board copy; the tables, the Clock and the controller are shared.
//
// Node functions are templates on the colour to move: a White node's children
// are Black nodes and the other way round.
#pragma once

#include <atomic>

#include "board/board.h"
#include "search/transposition_table.h"

struct PawnHashTable;
struct TablebaseState;
struct Clock;
class SearchInterface;

// Deepest ply a node may reach: keeps a principal variation within its 63 moves.
constexpr i32 MAX_SEARCH_PLY = MAX_PV_LENGTH;
// Thread 0 asks its controller for the time every this many of its nodes.
constexpr u64 TIME_TEST_INTERVAL = 256;
// A node makes no move once the board's history has fewer free records than this.
constexpr u32 HISTORY_RESERVE = 4;

// A counter that only its own thread writes and other threads may read.
// Bumped with a plain load and store (no locked instruction).
using SearchCounter = std::atomic<u64>;
inline void bump(SearchCounter& c) {
    c.store(c.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

// Razoring and reverse futility margins by remaining depth.
constexpr Score RAZOR_MARGIN[4] = {0, 232, 264, 296};
constexpr Score REVERSE_FUTILITY_MARGIN[6] = {0, 80, 160, 240, 320, 400};

// Depth of the search after a null move at `depth`; 0 or less means the
// quiescence search.
constexpr i32 nullMoveDepth(i32 depth) {
    return depth - 4 - (depth / 4 < 3 ? depth / 4 : 3);
}

// Mate-distance bounds of a node: lo = ply - 32000 (0 when the opponent has only
// its king), hi = 31999 - ply (0 when the side to move has only its king).
void mateDistanceBounds(const Board& board, i32 ply, Score& lo, Score& hi);

// The line a child gets: the rest of the given line when the move is its first
// move, else empty.
void childLineFor(const PvLine& pv, Move move, PvLine& child);
// pv = move followed by at most 62 moves of child.
void setPvLine(PvLine& pv, Move move, const PvLine& child);
// A move that takes nothing, promotes nothing and brings no pawn to its
// seventh rank (the moves that late-move reduction may reduce).
template <Color Us>
bool isQuietMove(const Board& board, Move move);

struct Searcher {
    u32 threadIndex = 0;
    Board board;
    TranspositionTable* transpositionTable = nullptr;
    PawnHashTable* pawnHashTable = nullptr;
    TablebaseState* tablebaseState = nullptr;
    Clock* clock = nullptr;
    SearchInterface* searchInterface = nullptr;

    SearchCounter nodes{0};
    SearchCounter qsNodes{0};
    SearchCounter qsChecks{0};
    SearchCounter cutoffs{0};
    SearchCounter cutoffsOnFirstMove{0};
    SearchCounter qsCutoffs{0};
    SearchCounter qsCutoffsOnFirstMove{0};
    SearchCounter ttHashHits{0};
    SearchCounter tbHits{0};

    i32 iterationDepth = 0;
    i32 firstMovesTime = 0;
    // stop: unwind now, every node returns 40000. aborted: set only by
    // ChessPlayer::stopSearch, no move is handed out. Both are cleared by the
    // controller before it wakes the thread, never by the thread itself, so a
    // stop request sent right after the start is not lost.
    std::atomic<u8> stop{0};
    std::atomic<u8> aborted{0};
    u8 easyMove = 0;

    bool stopped() const { return stop.load(std::memory_order_relaxed) != 0; }
    void resetCounters();

    // ---- root search and iterative deepening (root_search.cpp)
    template <Color Us>
    void iterativeDeepening(const Board& gameBoard, Move& bestMove, Move& ponderMove);
    template <Color Us>
    Score searchRoot(Score alpha, Score beta, i32 depth, PvLine& pv);
    template <Color Us>
    Score searchRootChild(const CheckerList& checkers, Score alpha, Score beta, i32 depth,
                          u32 moveNumber, PvLine& pv);

    // ---- nodes below the root (searcher.cpp, quiescence.cpp)
    template <Color Us>
    Score searchNode(Score alpha, Score beta, i32 ply, i32 depth, PvLine& pv);
    template <Color Us>
    Score searchInCheck(const CheckerList& checkers, Score alpha, Score beta, i32 ply,
                        bool skipQuietChecks, i32 depth, PvLine& pv);
    // Searches the position after a move of ~Us (the child is Us's node) and
    // answers from the parent's view.
    template <Color Us>
    Score searchChild(const CheckerList& checkers, Score alpha, Score beta, i32 ply,
                      bool skipQuietChecks, i32 depth, u32 moveNumber, PvLine& pv);
    template <Color Us>
    Score qsearch(Score alpha, Score beta, i32 ply, bool skipQuietChecks, PvLine& pv);

    // ---- helpers of the nodes
    // Entry steps shared by the full-width and in-check nodes: node count, stop
    // and time test, draw, mate-distance window, table probe. Answers the
    // node's score, or NODE_GOES_ON.
    static constexpr Score NODE_GOES_ON = 50000;
    template <Color Us>
    Score enterNode(Score& alpha, Score& beta, i32 ply, i32 depth, PvLine& pv, Score& lo, Score& hi,
                    Move& hashMove);
    template <Color Us>
    bool probe(Score alpha, Score beta, i32 ply, i32 depth, Score& score, Move& hashMove);
    // storeTT for the current position; nothing once the search is stopped.
    void store(Score lo, Score hi, Score alpha, Score beta, i32 ply, i32 depth, Score score,
               Move move);
    // Whether a stored move is a legal move here (full test).
    template <Color Us>
    bool isPlayable(Move move);
    template <Color Us>
    bool nullMoveAllowed(i32 ply) const;
    template <Color Us>
    Score searchNullMove(Score beta, i32 ply, i32 depth);
    void countCutoff(u32 number);
    // Starts loading the table bucket of the current position (the child that
    // is about to be searched) while the move's other work goes on.
    void prefetchEntry() const {
        if (transpositionTable != nullptr && transpositionTable->entries != nullptr)
            __builtin_prefetch(transpositionTable->bucket(board.current().key));
    }
    // Records the move in the current history record (the null-move rule and
    // the repetition scan read it) and makes it, loading the child's bucket early.
    template <Color Us>
    void playMove(Move m, Board::Undo& undo) {
        board.current().move = m;
        board.template makeMove<Us>(m, undo);
        prefetchEntry();
    }
    template <Color Us>
    Score searchQuietChecks(Score alpha, Score beta, i32 ply, Score best, bool oneCaptureHandedOut,
                            PvLine& pv);

    // Thread 0's time test; true once the search must stop (stop is then set).
    bool timeUp();
    u8 age(i32 ply) const { return searchAge(board.historyIndex, ply); }
    // Endgame tablebase probe below the root; false = no value (tablebases not
    // in this build yet).
    bool probeTablebaseHook(i32 ply, i32 depth, Score& score);
    // True when the node has no room for another ply (history or PV length).
    bool atPlyLimit(i32 ply) const {
        return ply >= MAX_SEARCH_PLY || board.historyIndex + HISTORY_RESERVE >= HISTORY_SIZE;
    }
};
