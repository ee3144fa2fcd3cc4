// The board class of this program, chosen when it is built: the one place
// that names a board class. Shared code includes this header only.
#pragma once

#include "board/board_contract.h"

#ifdef TALUN_BOARD_0X88
#include "board0x88/board_0x88.h"
using Board = Board_0x88;
#define TALUN_ENGINE_NAME "Talun"
#else
#include "boardbb/board_bb64.h"
using Board = Board_BB64;
#define TALUN_ENGINE_NAME "TalunBB"
#endif

static_assert(BoardContract<Board>, "the board class does not offer the shared contract");
static_assert(BoardOptionalParts<Board>,
              "the board class lacks a part that its capabilities promise");

// The checkers of the position after Us's move m, learned before the move is
// made. Empty on a board without given-check information: there every node
// tests for check on entry instead.
// (A template on the board class, so that the branch a board lacks is never compiled.)
template <Color Us, class B = Board>
inline CheckerList checkersAfter(const B& board, Move m) {
    CheckerList checkers{0, {0, 0}};
    if constexpr (B::HAS_GIVEN_CHECKS) board.template computeGivenChecks<Us>(m, checkers);
    return checkers;
}
