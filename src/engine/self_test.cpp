// "selftest": perft counts of stored positions against their known leaf
// counts, with the speed of each count.
#include "engine/self_test.h"

#include <cstdio>

#include "board/perft.h"
#include "search/clock.h"
#include "search/chess_player.h"

namespace {

constexpr const char* CASTLES =
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
constexpr const char* ENDING = "8/3K4/2p5/p2b2r1/5k2/8/8/1q6 b - - 1 67";
constexpr const char* ROOKS = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";

// Numbers 7 and 13 are not used; row 20 repeats row 12 (a second count of
// the same tree, after other positions have been through the perft hash).
constexpr SelfTestRow ROWS[] = {
    {1, START_FEN, 1, 20},
    {2, START_FEN, 2, 400},
    {3, START_FEN, 3, 8902},
    {4, START_FEN, 4, 197281},
    {5, START_FEN, 5, 4865609},
    {6, START_FEN, 6, 119060324},
    {8, CASTLES, 1, 48},
    {9, CASTLES, 2, 2039},
    {10, CASTLES, 3, 97862},
    {11, CASTLES, 4, 4085603},
    {12, CASTLES, 5, 193690690},
    {14, ENDING, 1, 50},
    {15, ENDING, 2, 279},
    {16, "8/7p/p5pb/4k3/P1pPn3/8/P5PP/1rB2RK1 b - d3 0 28", 6, 38633283},  // root in check
    {17, "rnbqkb1r/ppppp1pp/7n/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", 5, 11139762},
    {18, ROOKS, 6, 11030083},
    {19, ROOKS, 7, 178633661},
    {20, CASTLES, 5, 193690690},
};

using ull = unsigned long long;

// Leaves and nodes per second from a count and its time in centiseconds.
void printSpeeds(u64 leaves, u64 nodes, u64 t) {
    std::printf(", lps=%llu, nps=%llu\n", ull(t ? leaves * 100 / t : 0),
                ull(t ? nodes * 100 / t : 0));
}

}  // namespace

bool runSelfTest(ChessPlayer& player, const SelfTestRow* rows, size_t count) {
    Board* board = player.board;
    u32 passed = 0, failed = 0;
    u64 totalLeaves = 0, totalNodes = 0, totalTime = 0;
    for (size_t i = 0; i < count; ++i) {
        const SelfTestRow& row = rows[i];
        const i64 start = nowCentiseconds();
        if (!board->setFEN(row.fen)) {
            std::printf("# Self-test no. %u FAILED  (illegal FEN)\n", row.number);
            std::fflush(stdout);
            ++failed;
            continue;
        }
        player.preparePerftHash();  // without the table the count is only slower
        u64 nodes = 0;
        const u64 leaves = countLeaves(*board, player.perftHash, row.depth, false, nodes);
        const i64 elapsed = nowCentiseconds() - start;
        const u64 t = elapsed > 0 ? u64(elapsed) : 0;
        totalLeaves += leaves;
        totalNodes += nodes;
        totalTime += t;
        if (leaves == row.expected) {
            std::printf("# Self-test no. %u passed: n=%llu, t=%llu", row.number, ull(leaves),
                        ull(t));
            printSpeeds(leaves, nodes, t);
            ++passed;
        } else {
            std::printf("# Self-test no. %u FAILED  (expected %llu, got %llu)\n", row.number,
                        ull(row.expected), ull(leaves));
            ++failed;
        }
        std::fflush(stdout);
    }
    std::printf("%u tests passed, %u tests failed, 0 tests skipped, total %u tests run:\n", passed,
                failed, passed + failed);
    std::printf("n=%llu, t=%llu", ull(totalNodes), ull(totalTime));
    printSpeeds(totalLeaves, totalNodes, totalTime);
    std::fflush(stdout);
    return failed == 0;
}

bool ChessPlayer::selfTest() {
    return runSelfTest(*this, ROWS, sizeof ROWS / sizeof ROWS[0]);
}
