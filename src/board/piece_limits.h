// The men one colour may have, so that every board can hold a position: the
// 0x88 board keeps each colour in 16 list slots (king 1, queen 1, rooks,
// bishops and knights 2 each, pawns 8), and a queen, rook, bishop or knight
// beyond its own slots takes a free pawn slot. Every board refuses FEN text
// whose men do not fit, so both boards accept exactly the same positions.
#pragma once

#include "board/types.h"

namespace piecelimits {

// Slot tables by PieceKind (index 7 unused).
inline constexpr int firstSlotOfKind[8] = {0, 8, 6, 4, 2, 1, 0, 0};
inline constexpr int slotCountOfKind[8] = {0, 8, 2, 2, 2, 1, 1, 0};
inline constexpr int lastSlotOfKind[8] = {0, 15, 7, 5, 3, 1, 0, 0};
inline constexpr int maxCountOfKind[8] = {0, 8, 10, 10, 10, 9, 1, 0};

// counts[kind] for kinds 1..6 of one colour: one king, and the pawns plus the
// men beyond their kind's own slots within the eight pawn slots.
constexpr bool fitsPieceLists(const int* counts) {
    if (counts[KING] != 1) return false;
    int pawnSlotsUsed = counts[PAWN];
    for (int kind = KNIGHT; kind <= QUEEN; ++kind)
        if (counts[kind] > slotCountOfKind[kind])
            pawnSlotsUsed += counts[kind] - slotCountOfKind[kind];
    return pawnSlotsUsed <= 8;
}

}  // namespace piecelimits
