// FEN text read into a board-neutral record. Every rule for accepting or
// refusing a text lives here, so all boards refuse exactly the same texts;
// a board adds only the test that needs its attack tables (the side not to
// move must not be in check) and then places the men its own way.
#pragma once

#include "board/types.h"

struct FenRecord {
    u8 kinds[64];      // PieceKind by Square; EMPTY where no man stands
    u8 colors[64];     // Color by Square; NO_COLOR where no man stands
    u8 side;           // Color to move
    u8 rights;         // castling bits; those whose king or rook is not at home are dropped
    Square epSquare;   // NO_SQUARE for none, and when no pawn of the side to move can take
    u8 halfMoveClock;  // saturated at 255

    Square kingSquare(Color c) const;
};

// Fills rec from text (the move-number fields may be left out). Refuses text
// that is not FEN, an en-passant square no double step explains, a colour
// without exactly one king or with men the piece lists cannot hold, and pawns
// on rank 1 or 8. The board keeps nothing of a refused record.
bool readFen(const char* text, FenRecord& rec);
