// Evaluations per second over a fixed set of positions: every position of the
// given EPD files that the board accepts, each evaluated many times through
// the pawn hash with the full window (no lazy exit), as the search's root
// scoring does.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "epd_reader.h"
#include "eval/evaluate.h"

namespace {

std::vector<std::string> readPositions(const std::string& path) {
    std::vector<std::string> fens;
    for (const EpdLine& line : readEpdFile(path)) {
        const std::string fen = positionOf(line);
        if (!fen.empty()) fens.push_back(fen);
    }
    return fens;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string data = argc > 1 ? argv[1] : TALUN_DATA_DIR;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 200;
    std::vector<std::unique_ptr<Board>> boards;
    for (const char* file : {"epd/wac.epd", "epd/ecm.epd", "epd/arasan2024.epd", "epd/bk.epd"}) {
        for (const std::string& fen : readPositions(data + "/" + file)) {
            auto b = std::make_unique<Board>();
            b->resetBoard();
            if (b->setFEN(fen.c_str())) boards.push_back(std::move(b));
        }
    }
    if (boards.empty()) {
        std::fprintf(stderr, "no positions found under %s\n", data.c_str());
        return 1;
    }
    std::unique_ptr<PawnHashTable> pawnHash(PawnHashTable::create(32));
    if (!pawnHash) return 1;

    long long checksum = 0, count = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r)
        for (auto& b : boards) {
            checksum += evaluate(*b, pawnHash.get(), -MATE_SCORE, MATE_SCORE);
            ++count;
        }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "positions %zu, evaluations %lld, seconds %.3f, evaluations/s %.0f (checksum %lld)\n",
        boards.size(), count, seconds, count / seconds, checksum);
    return 0;
}
