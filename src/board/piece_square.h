// The piece-square table whose sums every board keeps incrementally. The
// evaluation owns its values (eval/eval_tables.cpp builds them at compile
// time); the board layer only reads it.
#pragma once

#include "board/types.h"

// [colour][kind - 1][square]; Black's table is White's mirrored top to bottom,
// with the same sign (positive is good for the owner). Holds no material.
extern ScorePair pieceSquareTable[2][6][64];
