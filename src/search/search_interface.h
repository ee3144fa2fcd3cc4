// The interfaces through which the search reports and the protocol side
// receives the engine's move. Protocol text stays out of the search.
#pragma once

#include "board/types.h"

struct Searcher;

class SearchInterface {
public:
    virtual bool isTimeout(Searcher& searcher) = 0;
    virtual void printThinking(Searcher& searcher, i32 depth, Score score, const PvLine& pv) = 0;
    virtual void printSearchStatistics(Searcher& searcher) = 0;

protected:
    ~SearchInterface() = default;
};

class EngineInterface {
public:
    virtual void makeEngineMove(Move move) = 0;

protected:
    ~EngineInterface() = default;
};
