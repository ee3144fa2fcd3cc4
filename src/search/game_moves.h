// The game position's legal moves, move text parsing and random moves, as
// board-level functions (the ChessPlayer operations call them on its board).
#pragma once

#include "board/board.h"

// Every legal move of the side to move, in generation order, into a cleared
// list; inCheck tells whether the side to move is in check.
void generateLegalMoves(Board& board, MoveList& list, bool& inCheck);
// Coordinate text (e2e4, e7e8q; files and promotion letter in either case)
// matched against the legal moves. False, and `move` untouched, otherwise.
bool parseMove(Board& board, const char* text, Move& move);
// A legal move drawn with rand(); false when there is none. Search thread 0
// draws the random game's move on its own copy of the game board.
bool randomLegalMove(Board& board, Move& move);
