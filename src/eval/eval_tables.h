// Constant tables and weights of the evaluation, built once before the first
// search and read-only afterwards.
#pragma once

#include "board/types.h"

// [colour][kind - 1][square]; Black's table is White's mirrored top to bottom.
extern ScorePair pieceSquareTable[2][6][64];

// Builds every evaluation table; runs at most once per process.
void initEvaluationTables();
