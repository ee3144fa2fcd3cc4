// The engine side of tablebase probing: the set-up record and the conversion
// of a probe result into a search score.
#pragma once

#include <string>
#include <vector>

#include "board/board.h"

struct TbProbeInput;

// Owned by the ChessPlayer and replaced at every set-up; every Searcher reads
// the current one.
struct TablebaseState {
    bool available = false;  // a "gaviota" set-up completed
    std::vector<std::string> paths;
};

// Splits a directory list at ";"; empty pieces add nothing.
std::vector<std::string> splitTablebasePaths(const char* text);

// The position's score for the side to move Us from the tablebases, as mate
// distances from this position (32000 - n when Us mates in n plies, n - 32000
// when Us is mated, 0 for a draw). False when there is no answer: tablebases
// unavailable, a castling right left, a failed probe or no value. A soft probe
// answers only from the cache of decoded blocks.
template <Color Us>
bool probeTablebase(const TablebaseState* state, const Board& board, Score& score,
                    bool hard = true);
