// The "perft" and "divide" commands.
#include <cstdio>

#include "board/perft.h"
#include "engine/settings.h"
#include "engine/wbengine.h"

namespace {

// Counts the game position to the depth given in `a` and prints the report;
// false for a depth below 1 or beyond what the perft key stack holds.
bool runPerftCommand(WBEngine& engine, const Args& a, bool printDivide) {
    if (a.empty()) return false;
    // Read strictly: "63x" must not pass as 63, a count that would never end.
    i64 depth = 0;
    if (!parseStrictNumber(a[0], MAX_PERFT_DEPTH, depth) || depth < 1) return false;
    Clock& clock = engine.clock;
    clock.elapsed = 0;
    clock.startStamp = 0;
    clock.elapsedAtSearchStart = 0;
    clock.start();
    // Without the table (no memory) the count is still exact, only slower.
    engine.player.preparePerftHash();
    u64 nodes = 0;
    const u64 leaves =
        countLeaves(*engine.player.board, engine.player.perftHash, int(depth), printDivide, nodes);
    clock.stop();
    const i64 t = clock.elapsed - clock.elapsedAtSearchStart;
    const double hashUse = engine.player.perftHash ? engine.player.perftHash->usagePercent() : 0.0;
    printPerftReport(printDivide, leaves, nodes, t, hashUse);
    return true;
}

}  // namespace

bool WBEngine::cmdPerft(const Args& a) {
    return runPerftCommand(*this, a, false);
}

bool WBEngine::cmdDivide(const Args& a) {
    return runPerftCommand(*this, a, true);
}
