// Nodes per second of the node search on one thread: a fixed set of
// middlegame positions, each searched depth by depth to a fixed depth with a
// cleared table, as a root without aspiration windows would.
// Usage: bench_search [depth] [fen-file]   (one FEN per line; default:
// bench/search_positions.fen)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_search_support.h"
#include "eval/eval_tables.h"
#include "eval/pawn_hash.h"

int main(int argc, char** argv) {
    const int depth = argc > 1 ? std::atoi(argv[1]) : 10;
    const char* path = argc > 2 ? argv[2] : TALUN_BENCH_POSITIONS;
    std::vector<std::string> fens;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) fens.push_back(line);
    if (fens.empty()) {
        std::fprintf(stderr, "no positions in %s\n", path);
        return 1;
    }
    initEvaluationTables();
    NoTimeout controller;
    auto searcher = std::make_unique<Searcher>();
    TranspositionTable table;
    if (!table.allocate(entryCountForSize(64, 16))) return 1;
    std::unique_ptr<PawnHashTable> pawnHash(PawnHashTable::create(32));
    searcher->transpositionTable = &table;
    searcher->pawnHashTable = pawnHash.get();
    searcher->searchInterface = &controller;

    u64 totalNodes = 0;
    double totalSeconds = 0;
    for (const std::string& fen : fens) {
        Searcher& s = *searcher;
        s.board.resetBoard();
        if (!s.board.setFEN(fen.c_str())) {
            std::fprintf(stderr, "skipped, not a position: %s\n", fen.c_str());
            continue;
        }
        table.clear();
        pawnHash->clear();
        s.resetCounters();
        PvLine pv{0, {}};
        Score score = 0;
        auto start = std::chrono::steady_clock::now();
        for (i32 d = 1; d <= depth; d++) {
            s.iterationDepth = d;
            score = s.board.sideToMove == WHITE ? searchRoot<WHITE>(s, d, pv)
                                                : searchRoot<BLACK>(s, d, pv);
        }
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        u64 nodes = s.nodes.load();
        char best[8] = "-";
        if (pv.length > 0) moveToString(pv.moves[0], best);
        std::printf("%-72s depth %d score %6d best %-5s nodes %10llu  %.2f s\n", fen.c_str(), depth,
                    score, best, (unsigned long long)nodes, seconds);
        std::fflush(stdout);
        totalNodes += nodes;
        totalSeconds += seconds;
    }
    std::printf("total nodes %llu time %.2f s nps %.0f\n", (unsigned long long)totalNodes,
                totalSeconds, totalSeconds > 0 ? double(totalNodes) / totalSeconds : 0.0);
    return 0;
}
