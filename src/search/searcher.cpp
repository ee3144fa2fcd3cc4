// The nodes below the root: full-width and in-check nodes, the child dispatch.
#include "search/searcher.h"

#include "search/search_interface.h"

void Searcher::resetCounters() {
    for (SearchCounter* c : {&nodes, &qsNodes, &qsChecks, &cutoffs, &cutoffsOnFirstMove, &qsCutoffs,
                             &qsCutoffsOnFirstMove, &ttHashHits, &tbHits})
        c->store(0, std::memory_order_relaxed);
    firstMovesTime = 0;
}
