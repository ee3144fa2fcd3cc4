// Deeper perft counts: "Slow" runs in the release tests only, "Deep" runs
// only when asked for (ctest -L deep).
#include "perft_test_util.h"

namespace {

TEST(PerftSlow, SlowSuiteEveryDepth) {
    PerftHashPtr hash(createPerftHash(256));
    checkPerftFile("epd/perftsuite.epd", hash.get(),
                   [](int, u64 count) { return count > 2000000; });
}

TEST(PerftSlow, SlowStressPositionsEveryDepth) {
    PerftHashPtr hash(createPerftHash(64));
    checkPerftFile("epd/perft-stress.epd", hash.get(),
                   [](int, u64 count) { return count > 2000000; });
}

TEST(PerftSlow, SlowMarcelPositionsToDepthFour) {
    PerftHashPtr hash(createPerftHash(4));
    checkPerftFile("epd/perft-marcel.epd", hash.get(), [](int depth, u64) { return depth == 4; });
}

TEST(PerftDeep, DeepMarcelPositionsToDepthFive) {
    PerftHashPtr hash(createPerftHash(64));
    checkPerftFile("epd/perft-marcel.epd", hash.get(), [](int depth, u64) { return depth == 5; });
}

}  // namespace
