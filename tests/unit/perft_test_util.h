// Perft expectations read from the shared perft files.
#pragma once

#include <cctype>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "board/perft.h"
#include "epd_reader.h"
#include "movegen_test_util.h"

struct PerftCase {
    std::string fen;
    std::vector<std::pair<int, u64>> counts;  // (depth, leaves)
};

// The "D<depth> <count>" items after the position, in either of the files'
// spellings (";D1 20 ;D2 400" or "; D1 27; D2 820").
inline std::vector<PerftCase> readPerftFile(const std::string& relative) {
    std::vector<PerftCase> cases;
    for (const EpdLine& line : readEpdFile(testDataPath(relative))) {
        PerftCase c{line.fen, {}};
        const std::string& r = line.rest;
        for (size_t i = 0; i < r.size(); ++i) {
            if (r[i] != 'D' || i + 1 >= r.size() ||
                !std::isdigit(static_cast<unsigned char>(r[i + 1])))
                continue;
            char* end = nullptr;
            const long depth = std::strtol(r.c_str() + i + 1, &end, 10);
            const unsigned long long count = std::strtoull(end, &end, 10);
            c.counts.emplace_back(int(depth), u64(count));
            i = size_t(end - r.c_str()) - 1;
        }
        if (!c.counts.empty()) cases.push_back(c);
    }
    return cases;
}

inline u64 perftOf(Board& board, PerftHash* hash, int depth, u64* nodesOut = nullptr) {
    u64 nodes = 0;
    const u64 leaves = countLeaves(board, hash, depth, false, nodes);
    if (nodesOut) *nodesOut = nodes;
    return leaves;
}

struct HashDeleter {
    void operator()(PerftHash* h) const { destroyPerftHash(h); }
};
using PerftHashPtr = std::unique_ptr<PerftHash, HashDeleter>;

// Every (position, depth) of a file whose count passes `wanted`, checked with
// a hash cleared per position (or no hash). Returns the number checked.
template <typename Wanted>
int checkPerftFile(const std::string& relative, PerftHash* hash, Wanted wanted) {
    const std::vector<PerftCase> cases = readPerftFile(relative);
    EXPECT_FALSE(cases.empty()) << relative;
    int checked = 0;
    for (const PerftCase& c : cases) {
        auto board = boardFromFen(c.fen);
        for (const auto& [depth, count] : c.counts) {
            if (!wanted(depth, count)) continue;
            if (hash) hash->clear();
            EXPECT_EQ(perftOf(*board, hash, depth), count)
                << relative << ": " << c.fen << " D" << depth;
            ++checked;
        }
    }
    return checked;
}
