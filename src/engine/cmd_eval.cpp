// The "eval" command: the evaluation of the game position term by term.
#include <cstdio>
#include <string>

#include "engine/wbengine.h"
#include "eval/evaluate.h"

bool WBEngine::printEvaluation(const Args&) {
    Board& board = *player.board;
    EvalBreakdown bd;
    const Score total = evaluateWithBreakdown(board, player.pawnHashTable, bd);
    const std::string text = formatEvalBreakdown(bd, board.sideToMove == BLACK ? -total : total);
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    return true;
}
