// What the search benchmarks share: a controller that never times out and
// prints nothing, and a full-window search of a position from its root.
#pragma once

#include "search/search_interface.h"
#include "search/searcher.h"

class NoTimeout : public SearchInterface {
   public:
    bool isTimeout(Searcher&) override { return false; }
    void printThinking(Searcher&, i32, Score, const PvLine&) override {}
    void printSearchStatistics(Searcher&) override {}
};

// A full-window search of the position, in check or not.
template <Color Us>
Score searchRoot(Searcher& s, i32 depth, PvLine& pv) {
    CheckerList checkers{0, {0, 0}};
    if (s.board.template isInCheck<Us>(checkers))
        return s.template searchInCheck<Us>(checkers, -MATE_SCORE, MATE_SCORE, 0, false, depth, pv);
    return s.template searchNode<Us>(-MATE_SCORE, MATE_SCORE, 0, depth, pv);
}
