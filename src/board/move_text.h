// Move text in coordinate notation, and move identity.
#pragma once

#include "board/types.h"

void moveToString(Move m, char* buffer);  // at least 6 characters: e2e4, e7e8q
// Same from- and to-square and kind of move; promotions also the same piece.
bool isSameMove(Move a, Move b);
