// Piece values of the losing-capture test that every board class offers:
// classes compared between attacker and victim, and the material a capture
// wins on its square, by PieceKind.
#pragma once

#include "board/types.h"

extern const i32 exchangeClassByKind[7];
extern const i32 exchangeValueByKind[7];
