// Process-wide read-only tables of both boards: leaper attacks, rays,
// between-squares, en-passant neighbours and Zobrist keys. Built once by a
// board's first set-up; read without locks afterwards.
#pragma once

#include "board/types.h"

extern Bitboard pawnAttacks[2][64];
extern Bitboard knightAttacks[64];
extern Bitboard kingAttacks[64];
extern Bitboard rookRays[64];
extern Bitboard bishopRays[64];
extern Bitboard betweenSquares[64][64];
extern Bitboard epNeighbours[64];
extern const int pawnDirection[2];

extern HashKey pieceKeys[2][6][64];  // [colour][kind - 1][square]
extern HashKey castlingKeys[16];     // only entries 1, 2, 4, 8 are non-zero
// castlingChangeKeys[c]: the XOR of castlingKeys[b] over every bit b set in c,
// so that a change of rights from r to s is hashed with castlingChangeKeys[r ^ s].
extern HashKey castlingChangeKeys[16];
extern HashKey epFileKeys[8];
extern HashKey sideKey;

// The castling rights that survive a move from or to each square: a right
// stands only while its king and rook are at home.
inline constexpr auto CASTLING_KEEP = [] {
    struct Table {
        u8 keep[64];
    } t{};
    for (int sq = 0; sq < 64; ++sq) t.keep[sq] = 15;
    t.keep[4] = u8(15 & ~(WHITE_KING_SIDE | WHITE_QUEEN_SIDE));   // e1
    t.keep[7] = u8(15 & ~WHITE_KING_SIDE);                        // h1
    t.keep[0] = u8(15 & ~WHITE_QUEEN_SIDE);                       // a1
    t.keep[60] = u8(15 & ~(BLACK_KING_SIDE | BLACK_QUEEN_SIDE));  // e8
    t.keep[63] = u8(15 & ~BLACK_KING_SIDE);                       // h8
    t.keep[56] = u8(15 & ~BLACK_QUEEN_SIDE);                      // a8
    return t;
}();

// Each runs at most once per process (safe to call from several threads).
void initAttackTables();
void initZobristKeys();
u64 random64();

// A plain ray walk: the attack set of a rook (or bishop) on `sq` for the
// occupancy `occ` (each ray up to and including its first man).
Bitboard rookAttacksSlow(int sq, Bitboard occ);
Bitboard bishopAttacksSlow(int sq, Bitboard occ);

// Files and ranks as square sets.
constexpr Bitboard FILE_A = 0x0101010101010101ULL;
constexpr Bitboard FILE_H = FILE_A << 7;
constexpr Bitboard RANK_1 = 0xFFULL;
constexpr Bitboard RANK_8 = RANK_1 << 56;

// Bit helpers. The plain programs target x86-64 without popcnt; the popcnt
// programs are built with -mpopcnt so __builtin_popcountll becomes one instruction.
inline int popCount(Bitboard b) {
    return __builtin_popcountll(b);
}
inline int lowestSquare(Bitboard b) {
    return __builtin_ctzll(b);
}
inline int popLowest(Bitboard& b) {
    int sq = __builtin_ctzll(b);
    b &= b - 1;
    return sq;
}
