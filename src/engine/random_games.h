// Games of random legal moves and their statistics ("randgames").
#pragma once

#include "board/types.h"

class ChessPlayer;

// Counts over one "randgames" run. A position is counted after every move,
// so there are as many positions as moves.
struct RandomGameStatistics {
    u64 games = 0;
    u64 moves = 0;
    u64 captures = 0;    // normal moves onto an occupied square
    u64 promotions = 0;  // capturing promotions included
    u64 castlings = 0;
    u64 epCaptures = 0;
    u64 doubleSteps = 0;
    u64 movesByKind[7] = {};     // by the moving man's PieceKind
    u64 capturedByKind[7] = {};  // en-passant captures count as pawns
    u64 promotedTo[7] = {};
    u64 presence[2][7][64] = {};        // positions with such a man on the square
    u64 menCount[2][17] = {};           // positions by the number of a colour's men
    u64 gameLength[HISTORY_SIZE] = {};  // games by their number of plies
};

// Plays the games on the player's game board and adds them to `stats`. A game
// ends without legal moves, at any draw by rule or repetition, or when the
// game record is full. The game board is left in the start position.
void runRandomGames(ChessPlayer& player, u64 games, RandomGameStatistics& stats);

// The averages and shares of a run, as "randgames" prints them.
void printRandomGameStatistics(const RandomGameStatistics& stats);
