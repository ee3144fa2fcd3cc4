// Process-wide attack tables, rays and Zobrist keys, shared by both boards.
#include "board/tables.h"

#include <cstdlib>
#include <mutex>

#include "board/board_common.h"

Bitboard pawnAttacks[2][64];
Bitboard knightAttacks[64];
Bitboard kingAttacks[64];
Bitboard rookRays[64];
Bitboard bishopRays[64];
Bitboard betweenSquares[64][64];
Bitboard epNeighbours[64];
const int pawnDirection[2] = {8, -8};

HashKey pieceKeys[2][6][64];
HashKey castlingKeys[16];
HashKey castlingChangeKeys[16];
HashKey epFileKeys[8];
HashKey sideKey;

namespace {

constexpr int ROOK_STEPS[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr int BISHOP_STEPS[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};

bool onBoard(int file, int rank) {
    return file >= 0 && file < 8 && rank >= 0 && rank < 8;
}

// Walks from sq in each of the four directions, including every square reached
// and stopping after the first one that is occupied in occ.
Bitboard walkRays(int sq, Bitboard occ, const int (*steps)[2]) {
    Bitboard attacks = 0;
    for (int d = 0; d < 4; ++d) {
        int f = fileOf(sq) + steps[d][0], r = rankOf(sq) + steps[d][1];
        while (onBoard(f, r)) {
            attacks |= squareBit(makeSquare(f, r));
            if (occ & squareBit(makeSquare(f, r))) break;
            f += steps[d][0];
            r += steps[d][1];
        }
    }
    return attacks;
}

Bitboard leaperAttacks(int sq, const int (*jumps)[2], int count) {
    Bitboard attacks = 0;
    for (int i = 0; i < count; ++i) {
        int f = fileOf(sq) + jumps[i][0], r = rankOf(sq) + jumps[i][1];
        if (onBoard(f, r)) attacks |= squareBit(makeSquare(f, r));
    }
    return attacks;
}

void buildAttackTables() {
    constexpr int KNIGHT_JUMPS[8][2] = {{1, 2},   {2, 1},   {2, -1}, {1, -2},
                                        {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
    constexpr int KING_STEPS[8][2] = {{1, 0},  {1, 1},   {0, 1},  {-1, 1},
                                      {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    constexpr int WHITE_PAWN[2][2] = {{-1, 1}, {1, 1}};
    constexpr int BLACK_PAWN[2][2] = {{-1, -1}, {1, -1}};
    for (int sq = 0; sq < 64; ++sq) {
        pawnAttacks[WHITE][sq] = leaperAttacks(sq, WHITE_PAWN, 2);
        pawnAttacks[BLACK][sq] = leaperAttacks(sq, BLACK_PAWN, 2);
        knightAttacks[sq] = leaperAttacks(sq, KNIGHT_JUMPS, 8);
        kingAttacks[sq] = leaperAttacks(sq, KING_STEPS, 8);
        rookRays[sq] = walkRays(sq, 0, ROOK_STEPS);
        bishopRays[sq] = walkRays(sq, 0, BISHOP_STEPS);
        epNeighbours[sq] = ((squareBit(sq) >> 1) & ~FILE_H) | ((squareBit(sq) << 1) & ~FILE_A);
    }
    for (int a = 0; a < 64; ++a) {
        for (int b = 0; b < 64; ++b) {
            betweenSquares[a][b] = 0;
            if (a == b) continue;
            const Bitboard bBit = squareBit(b);
            const bool orth = rookRays[a] & bBit, diag = bishopRays[a] & bBit;
            if (!orth && !diag) continue;
            // The squares seen from both ends with the other end as a blocker.
            betweenSquares[a][b] =
                orth ? walkRays(a, bBit, ROOK_STEPS) & walkRays(b, squareBit(a), ROOK_STEPS)
                     : walkRays(a, bBit, BISHOP_STEPS) & walkRays(b, squareBit(a), BISHOP_STEPS);
        }
    }
}

void buildZobristKeys() {
    srand(327641845);
    for (int c = 0; c < 2; ++c)
        for (int k = 0; k < 6; ++k)
            for (int sq = 0; sq < 64; ++sq) pieceKeys[c][k][sq] = random64();
    for (HashKey& k : castlingKeys) k = 0;
    for (int bit = 1; bit <= 8; bit <<= 1) castlingKeys[bit] = random64();
    for (HashKey& k : epFileKeys) k = random64();
    sideKey = random64();
    for (u32 change = 0; change < 16; ++change) {
        castlingChangeKeys[change] = 0;
        hashCastlingChange(0, change, &castlingChangeKeys[change]);
    }
}

std::once_flag attackTablesOnce, zobristKeysOnce;

}  // namespace

Bitboard rookAttacksSlow(int sq, Bitboard occ) {
    return walkRays(sq, occ, ROOK_STEPS);
}
Bitboard bishopAttacksSlow(int sq, Bitboard occ) {
    return walkRays(sq, occ, BISHOP_STEPS);
}

void initAttackTables() {
    std::call_once(attackTablesOnce, buildAttackTables);
}
void initZobristKeys() {
    std::call_once(zobristKeysOnce, buildZobristKeys);
}

u64 random64() {
    u64 result = 0;
    for (int i = 0; i < 5; ++i) result |= u64(rand() & 0x7FF) << (11 * i);
    result |= u64(rand() & 0x1FF) << 55;
    return result;
}

void hashCastlingChange(u32 oldRights, u32 newRights, HashKey* key) {
    const u32 changed = (oldRights ^ newRights) & 15;
    for (u32 bit = 1; bit <= 8; bit <<= 1)
        if (changed & bit) *key ^= castlingKeys[bit];
}
