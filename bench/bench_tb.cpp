// Tablebase speed: probes per second with a cold cache (every block decoded
// from the files) and with every block cached, and the node search's speed on
// endgame positions with the tablebases on and off.
// Usage: bench_tb [gtb-folder] [depth] [fen-file]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_search_support.h"
#include "eval/eval_tables.h"
#include "eval/pawn_hash.h"
#include "search/tablebase_probe.h"
#include "tablebases/tablebases.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

// Random placements of the 4-man endgames on distinct squares (pawns on ranks 2-7).
std::vector<TbProbeInput> randomPositions(int count) {
    const char* names[] = {"kqkq", "kqkr", "kqkb", "kqkn", "krkr", "krkb", "krkn", "kbkb",
                           "kbkn", "knkn", "kqqk", "kqrk", "kqbk", "kqnk", "krrk", "krbk",
                           "krnk", "kbbk", "kbnk", "knnk", "kqkp", "krkp", "kbkp", "knkp",
                           "kqpk", "krpk", "kbpk", "knpk", "kppk", "kpkp"};
    std::vector<TbProbeInput> out;
    std::srand(2024);
    for (int i = 0; i < count; ++i) {
        const char* name = names[i % 30];
        TbProbeInput in;
        in.side = std::rand() % 2;
        bool used[64] = {};
        int w = 0, b = 0;
        bool white = true;
        for (const char* c = name; *c; ++c) {
            if (*c == 'k' && c != name) white = false;
            int s;
            do s = std::rand() % 64;
            while (used[s] || (*c == 'p' && (s < 8 || s > 55)));
            used[s] = true;
            const u8 kind = u8(std::strchr(".pnbrqk", *c) - ".pnbrqk");
            if (white)
                in.whiteSquares[w] = u32(s), in.whitePieces[w++] = kind;
            else
                in.blackSquares[b] = u32(s), in.blackPieces[b++] = kind;
        }
        in.whiteSquares[w] = 64, in.whitePieces[w] = 0;
        in.blackSquares[b] = 64, in.blackPieces[b] = 0;
        out.push_back(in);
    }
    return out;
}

void probeSpeed(const std::string& dir) {
    const std::vector<TbProbeInput> positions = randomPositions(2000);
    tbLibraryStart(4, {dir});
    tbBlockCacheCreate(256);
    TbOutcome outcome;
    u32 plies;
    int answered = 0;
    auto t = Clock::now();
    for (const TbProbeInput& in : positions) answered += tbLookupPosition(in, true, outcome, plies);
    const double cold = secondsSince(t);
    std::printf("cold cache:   %8.0f probes/s (%zu probes, %d answered, blocks decoded)\n",
                double(positions.size()) / cold, positions.size(), answered);
    // Every block of these positions is now cached; a search probes few blocks
    // at a time, so the hot set is measured small and large.
    for (size_t hot : {size_t(16), size_t(256), positions.size()}) {
        const int rounds = int(2000000 / hot);
        t = Clock::now();
        for (int r = 0; r < rounds; ++r)
            for (size_t i = 0; i < hot; ++i) tbLookupPosition(positions[i], false, outcome, plies);
        const double s = secondsSince(t);
        std::printf("cached (%4zu blocks in use): %10.0f probes/s\n", hot,
                    double(rounds * hot) / s);
    }
    tbBlockCacheFree();
    tbLibraryStop();
}

void searchSpeed(const std::string& dir, int depth, const std::vector<std::string>& fens) {
    initEvaluationTables();
    TablebaseState state;
    state.available = true;
    state.paths = {dir};
    for (bool on : {false, true}) {
        if (on) {
            tbLibraryStart(4, state.paths);
            tbBlockCacheCreate(16);
        }
        u64 nodes = 0, hits = 0;
        double seconds = 0;
        for (const std::string& fen : fens) {
            auto s = std::make_unique<Searcher>();
            auto table = std::make_unique<TranspositionTable>();
            std::unique_ptr<PawnHashTable> pawns{PawnHashTable::create(1)};
            NoTimeout controller;
            table->allocate(1 << 20);
            s->board.resetBoard();
            if (!s->board.setFEN(fen.c_str())) continue;
            s->transpositionTable = table.get();
            s->pawnHashTable = pawns.get();
            s->searchInterface = &controller;
            s->tablebaseState = on ? &state : nullptr;
            s->resetCounters();
            PvLine pv{};
            const auto t = Clock::now();
            for (i32 d = 1; d <= depth; ++d) {
                s->iterationDepth = d;
                if (s->board.sideToMove == WHITE)
                    searchRoot<WHITE>(*s, d, pv);
                else
                    searchRoot<BLACK>(*s, d, pv);
            }
            seconds += secondsSince(t);
            nodes += s->nodes.load() + s->qsNodes.load();
            hits += s->tbHits.load();
        }
        std::printf("search, tablebases %-3s: %10llu nodes %6.2f s %9.0f nodes/s, %llu tbHits\n",
                    on ? "on" : "off", (unsigned long long)nodes, seconds, double(nodes) / seconds,
                    (unsigned long long)hits);
    }
    tbBlockCacheFree();
    tbLibraryStop();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : TALUN_GTB_DIR;
    const int depth = argc > 2 ? std::atoi(argv[2]) : 14;
    const char* path = argc > 3 ? argv[3] : TALUN_TB_POSITIONS;
    std::vector<std::string> fens;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') fens.push_back(line);
    probeSpeed(dir);
    searchSpeed(dir, depth, fens);
    return 0;
}
