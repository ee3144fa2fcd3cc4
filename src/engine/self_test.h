// The self-test: perft counts of stored positions against known leaf counts.
#pragma once

#include <cstddef>

#include "board/types.h"

class ChessPlayer;

struct SelfTestRow {
    u32 number;
    const char* fen;
    int depth;
    u64 expected;
};

// Counts each row on the player's game board with the perft hash and prints
// its report and the summary; true when every row passed.
bool runSelfTest(ChessPlayer& player, const SelfTestRow* rows, size_t count);
