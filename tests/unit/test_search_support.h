// A Searcher set up on its own for the search tests: its own table, pawn hash
// and a controller that never times out.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "capability_skip.h"
#include "eval/eval_tables.h"
#include "eval/evaluate.h"
#include "eval/pawn_hash.h"
#include "search/search_interface.h"
#include "search/searcher.h"

class NeverTimeout : public SearchInterface {
   public:
    bool isTimeout(Searcher&) override { return false; }
    void printThinking(Searcher&, i32, Score, const PvLine&) override {}
    void printSearchStatistics(Searcher&) override {}
};

struct TestSearch {
    std::unique_ptr<Searcher> searcher = std::make_unique<Searcher>();
    std::unique_ptr<TranspositionTable> table = std::make_unique<TranspositionTable>();
    std::unique_ptr<PawnHashTable> pawnHash{PawnHashTable::create(1)};
    NeverTimeout controller;

    explicit TestSearch(const char* fen) {
        initEvaluationTables();
        Searcher& s = *searcher;
        s.board.resetBoard();
        EXPECT_TRUE(s.board.setFEN(fen)) << fen;
        EXPECT_TRUE(table->allocate(1 << 16));
        s.transpositionTable = table.get();
        s.pawnHashTable = pawnHash.get();
        s.searchInterface = &controller;
    }
    Board& board() { return searcher->board; }
    Color sideToMove() { return Color(board().sideToMove); }

    // A plain full-window node search at the root, depth by depth up to
    // `depth`, as iterative deepening does without its window tricks.
    Score searchTo(i32 depth, PvLine& pv) {
        pv.length = 0;
        Score s = 0;
        for (i32 d = 1; d <= depth; d++) {
            searcher->iterationDepth = d;
            s = sideToMove() == WHITE ? root<WHITE>(d, pv) : root<BLACK>(d, pv);
        }
        return s;
    }
    template <Color Us>
    Score root(i32 depth, PvLine& pv) {
        CheckerList checkers{0, {0, 0}};
        if (board().template isInCheck<Us>(checkers))
            return searcher->searchInCheck<Us>(checkers, -MATE_SCORE, MATE_SCORE, 0, false, depth,
                                               pv);
        return searcher->searchNode<Us>(-MATE_SCORE, MATE_SCORE, 0, depth, pv);
    }
    Score qsearch(Score alpha, Score beta, bool skipQuietChecks, PvLine& pv) {
        pv.length = 0;
        return sideToMove() == WHITE
                   ? searcher->qsearch<WHITE>(alpha, beta, 1, skipQuietChecks, pv)
                   : searcher->qsearch<BLACK>(alpha, beta, 1, skipQuietChecks, pv);
    }
    u64 nodes() const { return searcher->nodes.load(); }
    u64 qsNodes() const { return searcher->qsNodes.load(); }
};

// The checkers of the side to move.
inline CheckerList checkersOf(const Board& b) {
    CheckerList c{0, {0, 0}};
    if (b.sideToMove == WHITE)
        b.isInCheck<WHITE>(c);
    else
        b.isInCheck<BLACK>(c);
    return c;
}

inline std::string moveText(Move m) {
    char buffer[8];
    moveToString(m, buffer);
    return buffer;
}
