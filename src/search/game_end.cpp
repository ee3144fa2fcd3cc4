// The game record and the end-of-game and draw-claim tests on the game board.
#include <cassert>
#include <cstdio>

#include "search/chess_player.h"

void ChessPlayer::playGameMove(Move move) {
    assert(!isGameRecordFull());
    gameMoves[plyCount] = move;
    board->current().move = move;
    board->makeMove(move, gameUndo[plyCount]);
    plyCount++;
}

u32 ChessPlayer::recordedPlies() {
    std::lock_guard<std::mutex> lock(gameRecordMutex);
    return plyCount;
}

bool ChessPlayer::takeBackGameMove() {
    if (plyCount == 0) return false;
    plyCount--;
    board->unmakeMove(gameMoves[plyCount], gameUndo[plyCount]);
    return true;
}

bool ChessPlayer::claimsDraw(Move move) {
    if (isGameRecordFull()) return false;
    playGameMove(move);
    MoveList list;
    list.clear();
    bool inCheck = false;
    generateLegalMoves(list, inCheck);
    bool claim = false;
    if (list.count > 0) {
        u32 reason = DRAW_NONE;
        board->isDraw(reason);
        claim = reason == DRAW_FIFTY_MOVES || reason == DRAW_REPETITION;
    }
    takeBackGameMove();
    return claim;
}

bool ChessPlayer::checkGameEnd() {
    MoveList list;
    list.clear();
    bool inCheck = false;
    generateLegalMoves(list, inCheck);
    bool over = true;
    if (list.count == 0 && inCheck) {
        puts(board->sideToMove == BLACK ? "1-0 {White wins by checkmate}"
                                        : "0-1 {Black wins by checkmate}");
    } else if (list.count == 0) {
        puts("1/2-1/2 {Stalemate}");
    } else {
        u32 reason = DRAW_NONE;
        board->isDraw(reason);
        over = reason == DRAW_INSUFFICIENT_MATERIAL;
        if (over) puts("1/2-1/2 {Draw by insufficient material}");
    }
    fflush(stdout);
    return over;
}
