// The magic slider tables of the bitboard board: attack sets of rooks and
// bishops for any occupancy, by one multiplication and one lookup. Built once
// by the first Board_BB64::resetBoard(); read without locks afterwards.
#pragma once

#include "board/tables.h"

struct Magic {
    u64 multiplier;
    u64 bits;  // number of index bits
};

extern const Magic rookMagics[64];
extern const Magic bishopMagics[64];
extern Bitboard rookMasks[64];
extern Bitboard bishopMasks[64];
extern i32 rookShifts[64];
extern i32 bishopShifts[64];
extern i32 rookOffsets[64];
extern i32 bishopOffsets[64];
constexpr int SLIDER_ATTACK_SLOTS = 107648;
extern Bitboard sliderAttacks[SLIDER_ATTACK_SLOTS];

void initSliderTables();

inline Bitboard rookAttacks(int sq, Bitboard occ) {
    return sliderAttacks[rookOffsets[sq] +
                         (((occ & rookMasks[sq]) * rookMagics[sq].multiplier) >> rookShifts[sq])];
}
inline Bitboard bishopAttacks(int sq, Bitboard occ) {
    return sliderAttacks[bishopOffsets[sq] +
                         (((occ & bishopMasks[sq]) * bishopMagics[sq].multiplier) >>
                          bishopShifts[sq])];
}
inline Bitboard queenAttacks(int sq, Bitboard occ) {
    return rookAttacks(sq, occ) | bishopAttacks(sq, occ);
}
