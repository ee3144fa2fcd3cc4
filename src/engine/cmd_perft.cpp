// The "perft" and "divide" commands and the preparation of the perft hash.
#include <cstdio>
#include <cstdlib>

#include "board/perft.h"
#include "engine/wbengine.h"

bool ChessPlayer::preparePerftHash() {
    if (perftHash) {
        perftHash->clear();
        return true;
    }
    perftHash = createPerftHash(perftHashSizeMB);
    if (!perftHash) return false;
    std::printf("# new size of %s: %llu MB\n", "Perft hash",
                static_cast<unsigned long long>(u64(perftHash->entryCount) * 16 / 1048576));
    std::fflush(stdout);
    return true;
}

void ChessPlayer::releasePerftHash() {
    destroyPerftHash(perftHash);
    perftHash = nullptr;
}

namespace {

// Counts the game position to the depth given in `a` and prints the report;
// false for a depth below 1 or beyond what the perft key stack holds.
bool runPerftCommand(WBEngine& engine, const Args& a, bool printDivide) {
    if (a.empty()) return false;
    const int depth = std::atoi(a[0].c_str());
    if (depth < 1 || depth > MAX_PERFT_DEPTH) return false;
    Clock& clock = engine.clock;
    clock.elapsed = 0;
    clock.startStamp = 0;
    clock.elapsedAtSearchStart = 0;
    clock.start();
    // Without the table (no memory) the count is still exact, only slower.
    engine.player.preparePerftHash();
    u64 nodes = 0;
    const u64 leaves =
        countLeaves(*engine.player.board, engine.player.perftHash, depth, printDivide, nodes);
    clock.stop();
    i64 t = clock.elapsed - clock.elapsedAtSearchStart;
    if (t < 0) t = 0;
    const u64 speed = t > 0 ? nodes * 100 / u64(t) : 0;
    const double hashUse = engine.player.perftHash ? engine.player.perftHash->usagePercent() : 0.0;
    const char* prefix = printDivide ? "" : "# ";
    std::printf("%sTotal leaves: %llu\n", prefix, static_cast<unsigned long long>(leaves));
    std::printf("%sTotal nodes:  %llu\n", prefix, static_cast<unsigned long long>(nodes));
    std::printf("%sTime elapsed: %lld.%02lld s\n", prefix, static_cast<long long>(t / 100),
                static_cast<long long>(t % 100));
    std::printf("%sNodes/second: %llu\n", prefix, static_cast<unsigned long long>(speed));
    std::printf("# perftHashFull%%:  %g\n", hashUse);
    std::fflush(stdout);
    return true;
}

}  // namespace

bool WBEngine::cmdPerft(const Args& a) {
    return runPerftCommand(*this, a, false);
}

bool WBEngine::cmdDivide(const Args& a) {
    return runPerftCommand(*this, a, true);
}
