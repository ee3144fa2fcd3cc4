// Perft counts on the shared perft files, divide, and the perft hash.
#include "perft_test_util.h"

namespace {

const char* START = START_FEN;

// Counts up to two million leaves per position: every file, every position.
auto upTo(u64 limit) {
    return [limit](int, u64 count) { return count <= limit; };
}

TEST(Perft, SuitePositionsToModerateDepth) {
    PerftHashPtr hash(createPerftHash(16));
    EXPECT_GT(checkPerftFile("epd/perftsuite.epd", hash.get(), upTo(2000000)), 400);
}

TEST(Perft, SuitePositionsWithoutHash) {
    EXPECT_GT(checkPerftFile("epd/perftsuite.epd", nullptr, upTo(200000)), 300);
}

TEST(Perft, StressPositionsToModerateDepth) {
    PerftHashPtr hash(createPerftHash(16));
    EXPECT_GT(checkPerftFile("epd/perft-stress.epd", hash.get(), upTo(2000000)), 150);
}

TEST(Perft, FerdyDoubleChecks) {
    PerftHashPtr hash(createPerftHash(16));
    EXPECT_EQ(checkPerftFile("epd/perft-ferdy-double-checks.epd", hash.get(), upTo(~0ULL)), 184);
}

TEST(Perft, MarcelPositionsToDepthThree) {
    PerftHashPtr hash(createPerftHash(1));
    EXPECT_GT(checkPerftFile("epd/perft-marcel.epd", hash.get(),
                             [](int depth, u64) { return depth <= 3; }),
              6000 * 3);
}

TEST(Perft, DepthOneCountsTheRootOnly) {
    auto b = boardFromFen(START);
    PerftHashPtr hash(createPerftHash(1));
    u64 nodes = 0;
    EXPECT_EQ(perftOf(*b, hash.get(), 1, &nodes), 20u);
    EXPECT_EQ(nodes, 1u);
    EXPECT_EQ(perftOf(*b, hash.get(), 4), 197281u);
}

TEST(Perft, CheckmateCountsZeroAtEveryDepth) {
    auto b = boardFromFen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3");
    for (int depth = 1; depth <= 4; ++depth) EXPECT_EQ(perftOf(*b, nullptr, depth), 0u) << depth;
}

TEST(Perft, HashedRootIsAnsweredAtOnce) {
    auto b = boardFromFen(START);
    PerftHashPtr hash(createPerftHash(1));
    hash->store(b->computeFullKey(), 12345, 3);
    u64 nodes = 0;
    EXPECT_EQ(perftOf(*b, hash.get(), 3, &nodes), 12345u);
    EXPECT_EQ(nodes, 1u);
    // Another depth of the same position is not answered from that entry.
    EXPECT_EQ(perftOf(*b, hash.get(), 2, &nodes), 400u);
}

TEST(Perft, CountLeavesLeavesTheBoardAsItWas) {
    auto b = boardFromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    auto before = std::make_unique<Board>(*b);
    perftOf(*b, nullptr, 3);
    EXPECT_EQ(b->perftKeyCount, before->perftKeyCount);
    for (Square sq = 0; sq < 64; ++sq) {
        EXPECT_EQ(b->kindAt(sq), before->kindAt(sq)) << int(sq);
        EXPECT_EQ(b->colorAt(sq), before->colorAt(sq)) << int(sq);
    }
    EXPECT_EQ(b->castlingRights, before->castlingRights);
    EXPECT_EQ(b->epSquare, before->epSquare);
    EXPECT_EQ(b->halfMoveClock, before->halfMoveClock);
    EXPECT_EQ(b->current().key, before->current().key);
}

TEST(Perft, DepthBeyondTheKeyStackIsRefused) {
    auto b = boardFromFen(START);
    u64 nodes = 7;
    EXPECT_EQ(countLeaves(*b, nullptr, MAX_PERFT_DEPTH + 1, false, nodes), 0u);
    EXPECT_EQ(nodes, 0u);
    EXPECT_EQ(countLeaves(*b, nullptr, 0, false, nodes), 0u);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(text.substr(start, nl - start));
    return out;
}

TEST(Divide, StartPositionLinesInGenerationOrder) {
    auto b = boardFromFen(START);
    u64 nodes = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(countLeaves(*b, nullptr, 1, true, nodes), 20u);
    std::vector<std::string> out = lines(testing::internal::GetCapturedStdout());
    ASSERT_EQ(out.size(), 20u);
    EXPECT_EQ(out[0], "b1a3 1");
    EXPECT_EQ(out[1], "b1c3 1");
    EXPECT_EQ(out[2], "g1f3 1");
    EXPECT_EQ(out[3], "g1h3 1");
    EXPECT_EQ(out[4], "a2a3 1");
    EXPECT_EQ(out[19], "h2h4 1");
    EXPECT_EQ(nodes, 1u);

    PerftHashPtr hash(createPerftHash(1));
    testing::internal::CaptureStdout();
    EXPECT_EQ(countLeaves(*b, hash.get(), 2, true, nodes), 400u);
    out = lines(testing::internal::GetCapturedStdout());
    ASSERT_EQ(out.size(), 20u);
    for (const std::string& l : out) EXPECT_EQ(l.substr(5), "20") << l;
    testing::internal::CaptureStdout();
    EXPECT_EQ(countLeaves(*b, hash.get(), 3, true, nodes), 8902u);
    testing::internal::GetCapturedStdout();
}

TEST(Divide, InCheckPrintsOneLinePerEvasion) {
    // Kiwipete after a queen check: the evasions alone, each counted once.
    auto b = boardFromFen("r3k2r/p1pp1pb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBqPPP/R3K2R w KQkq - 0 2");
    bool inCheck = false;
    const MoveList legal = legalList(*b, &inCheck);
    ASSERT_TRUE(inCheck);
    u64 nodes = 0;
    testing::internal::CaptureStdout();
    const u64 total = countLeaves(*b, nullptr, 3, true, nodes);
    const std::vector<std::string> out = lines(testing::internal::GetCapturedStdout());
    ASSERT_EQ(out.size(), legal.count);
    u64 sum = 0;
    for (const std::string& l : out) sum += std::strtoull(l.c_str() + l.find(' ') + 1, nullptr, 10);
    EXPECT_EQ(sum, total);
    EXPECT_EQ(total, perftOf(*b, nullptr, 3));
}

TEST(PerftReport, TimeSpeedAndPrefixes) {
    testing::internal::CaptureStdout();
    printPerftReport(false, 20, 210, 105, 0.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "# Total leaves: 20\n# Total nodes:  210\n# Time elapsed: 1.05 s\n"
              "# Nodes/second: 200\n# perftHashFull%:  0\n");
    testing::internal::CaptureStdout();
    printPerftReport(true, 400, 21, 0, 100.0 * 3 / 65536);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Total leaves: 400\nTotal nodes:  21\nTime elapsed: 0.00 s\n"
              "Nodes/second: 0\n# perftHashFull%:  0.00457764\n");
}

TEST(PerftHash, StoresTheKeyBitsTheBucketDoesNotImply) {
    PerftHashPtr hash(createPerftHash(1));
    ASSERT_EQ(hash->entryCount, 65536u);
    ASSERT_EQ(hash->bucketMask, 16383u);
    const HashKey key = 0x123456789ABCDEF1ULL;
    hash->store(key, 77, 4);
    u64 count = 0;
    EXPECT_TRUE(hash->probe(key, 4, count));
    EXPECT_EQ(count, 77u);
    EXPECT_FALSE(hash->probe(key, 5, count));
    // Same bucket, same low 48 bits, other high bits: another position.
    EXPECT_FALSE(hash->probe(key ^ (1ULL << 60), 4, count));
    EXPECT_FALSE(hash->probe(key ^ (1ULL << 20), 4, count));
}

TEST(PerftHash, ReplacesSameKeyThenEmptyThenShallowest) {
    PerftHashPtr hash(createPerftHash(1));
    const HashKey base = 0x0000000100000005ULL;  // all share bucket 5
    auto keyN = [&](u64 n) { return base + (n << 32); };
    hash->store(keyN(1), 10, 5);
    hash->store(keyN(2), 20, 3);
    hash->store(keyN(3), 30, 3);
    hash->store(keyN(4), 40, 7);
    hash->store(keyN(2), 21, 4);  // same key: in place
    PerftHashEntry* bucket = hash->entries + 4 * 5;
    EXPECT_EQ(bucket[1].count, 21u);
    hash->store(keyN(5), 50, 6);  // full: the shallowest (entry 2, depth 3) goes
    EXPECT_EQ(bucket[2].count, 50u);
    u64 count = 0;
    EXPECT_FALSE(hash->probe(keyN(3), 3, count));
    EXPECT_TRUE(hash->probe(keyN(4), 7, count));
    EXPECT_EQ(count, 40u);
}

TEST(PerftHash, UsageCountsTheFirstEntries) {
    PerftHashPtr hash(createPerftHash(64));
    EXPECT_EQ(hash->entryCount, 1u << 22);
    EXPECT_EQ(hash->usagePercent(), 0.0);
    hash->store(0x0000000100000000ULL, 1, 2);  // bucket 0
    hash->store(0x0000000200000000ULL, 1, 2);  // bucket 0
    EXPECT_DOUBLE_EQ(hash->usagePercent(), 2 * 100.0 / 65536);
    hash->clear();
    EXPECT_EQ(hash->usagePercent(), 0.0);
}

}  // namespace
