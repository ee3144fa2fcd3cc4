// Waiting for the next input line while searches come and go, and the end of
// input with a search still running.
#pragma once

#include <functional>

class ChessPlayer;

// Returns once standard input has something to read (a line or its end).
// Meanwhile `whenIdle` is called whenever a search has ended and no other runs,
// so that a game the engine plays against itself goes on without input.
void waitForInput(ChessPlayer& player, const std::function<void()>& whenIdle);

// At the end of input: an untimed search without a depth limit would never
// end, so it is stopped; any other search is waited for (sleeping).
void finishSearchAtEndOfInput(ChessPlayer& player);
