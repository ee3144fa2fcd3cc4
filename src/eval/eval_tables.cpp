#include "eval/eval_tables.h"

ScorePair pieceSquareTable[2][6][64];

void initEvaluationTables() {}
