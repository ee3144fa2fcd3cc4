// Constant tables and weights of the evaluation. Every table is constant data
// (constant-initialised or constexpr), so it is usable from program start,
// before the first board computes its piece-square sums, and it is read by
// every search thread without locks.
#pragma once

#include <array>

#include "board/piece_square.h"
#include "board/types.h"

// Kept for the start-up order: the tables are already built at compile time,
// so this only checks (in debug builds) that they are in place.
void initEvaluationTables();

namespace evaltables {

constexpr int fileDistance(int a, int b) {
    return a > b ? a - b : b - a;
}
constexpr int chebyshevDistance(int a, int b) {
    int df = fileDistance(fileOf(a), fileOf(b));
    int dr = fileDistance(rankOf(a), rankOf(b));
    return df > dr ? df : dr;
}
// 0x88 number of a square: rank << 4 | file.
constexpr int x88(int sq) {
    return (rankOf(sq) << 4) | fileOf(sq);
}
// |x88(a) - x88(b)|: 0..119, the index of the tropism table.
constexpr int x88Distance(int a, int b) {
    return fileDistance(x88(a), x88(b));
}

// ---------------------------------------------------------------------------
// Material, per man, by kind - 1 (pawn .. queen).
inline constexpr ScorePair MATERIAL[5] = {
    {100, 127}, {376, 424}, {403, 402}, {594, 621}, {1223, 1220}};
inline constexpr ScorePair BISHOP_PAIR = {69, 42};
inline constexpr ScorePair KNIGHT_PAWN_ADJUST = {6, 7};    // x knights x (own pawns - 5)
inline constexpr ScorePair ROOK_PAWN_ADJUST = {-12, -15};  // x rooks x (own pawns - 5)

// Mobility per reachable square, and the value when nothing is reachable.
inline constexpr ScorePair KNIGHT_MOBILITY = {4, 8}, KNIGHT_TRAPPED = {-13, -55};
inline constexpr ScorePair BISHOP_MOBILITY = {10, 6}, BISHOP_TRAPPED = {-10, -20};
inline constexpr ScorePair ROOK_MOBILITY = {-2, 13}, ROOK_TRAPPED = {-15, -30};
inline constexpr ScorePair QUEEN_MOBILITY = {4, 13}, QUEEN_TRAPPED = {-30, -60};

// File terms of rooks and queens relative to the enemy king.
inline constexpr ScorePair ROOK_OPEN_KING_FILE = {83, 36};
inline constexpr ScorePair ROOK_OPEN_NEXT_TO_KING = {54, -21};
inline constexpr ScorePair QUEEN_OPEN_KING_FILE = {16, 111};
inline constexpr ScorePair QUEEN_OPEN_NEXT_TO_KING = {7, 39};

// Pawn structure, per file (doubled, isolated) or per pawn (backward).
inline constexpr ScorePair DOUBLED_PAWN = {-6, -30};
inline constexpr ScorePair ISOLATED_PAWN = {-31, -13};
inline constexpr ScorePair BACKWARD_ATTACKED = {-24, -13};
inline constexpr ScorePair BACKWARD_BLOCKED = {12, -5};

// King safety: per missing shield pawn; per enemy heavy piece (at most 2).
inline constexpr ScorePair KING_SHIELD_MISSING = {-15, 7};
inline constexpr ScorePair KING_OPEN_FILE = {-35, -9};
inline constexpr ScorePair KING_OPEN_NEIGHBOUR_FILE = {-8, -11};

inline constexpr int TEMPO = 24;  // middle game only, to the side to move
inline constexpr int LAZY_MARGIN = 200;
inline constexpr int MOPUP_KING_EDGE = 64;
inline constexpr int MOPUP_KING_DISTANCE = 2;
inline constexpr int MOPUP_BN_CORNER = 16;

// By kind: 0 none, 1 pawn .. 6 king.
inline constexpr ScorePair tropismWeight[7] = {{0, 0},    {10, -4}, {13, -5}, {9, -3},
                                               {15, -11}, {5, 41},  {18, 14}};
// By the number of open files (0..8).
inline constexpr ScorePair rookOpenFileTable[9] = {{0, 0},   {68, 42},  {88, 20}, {86, 9}, {82, -2},
                                                   {35, -6}, {41, -21}, {3, -45}, {0, 0}};
// By the number of open plus half-open files (0..8).
inline constexpr ScorePair rookHalfOpenFileTable[9] = {
    {0, 0}, {25, -42}, {36, 4}, {44, 2}, {55, 8}, {53, 10}, {24, 19}, {0, 20}, {0, 0}};
// By passed-pawn index 0..11.
inline constexpr ScorePair passedPawnTable[12] = {{0, 0},   {97, 188},  {76, 133}, {20, 84},
                                                  {16, 57}, {8, 36},    {32, 20},  {15, 32},
                                                  {26, 40}, {-15, -60}, {1, 2},    {1, 1}};
// By passed-pawn index 0..6.
inline constexpr ScorePair unstoppablePawnTable[7] = {{0, 0},    {193, 420}, {143, 339}, {95, 90},
                                                      {-33, 72}, {-38, 47},  {-9, 55}};

// ---------------------------------------------------------------------------
// Tropism: closeness of a man of a kind (pawn first) to the enemy king, by
// |x88(man) - x88(king)|. Built from four reference king squares and regions.
namespace detail {

constexpr bool onBoard(int f, int r) {
    return f >= 0 && f < 8 && r >= 0 && r < 8;
}

constexpr u64 kingZone(int sq) {
    u64 z = 0;
    for (int df = -1; df <= 1; ++df)
        for (int dr = -1; dr <= 1; ++dr)
            if ((df || dr) && onBoard(fileOf(sq) + df, rankOf(sq) + dr))
                z |= squareBit(makeSquare(fileOf(sq) + df, rankOf(sq) + dr));
    return z;
}

constexpr u64 leaperSet(int sq, const int (*steps)[2], int n) {
    u64 s = 0;
    for (int i = 0; i < n; ++i) {
        int f = fileOf(sq) + steps[i][0], r = rankOf(sq) + steps[i][1];
        if (onBoard(f, r)) s |= squareBit(makeSquare(f, r));
    }
    return s;
}

constexpr int KNIGHT_STEPS[8][2] = {{1, 2},   {2, 1},   {2, -1}, {1, -2},
                                    {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
constexpr int DIAGONAL_STEPS[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
constexpr int ORTHOGONAL_STEPS[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

// Empty-board rays from sq along the given directions.
constexpr u64 raySet(int sq, const int (*dirs)[2], int n) {
    u64 s = 0;
    for (int i = 0; i < n; ++i)
        for (int f = fileOf(sq) + dirs[i][0], r = rankOf(sq) + dirs[i][1]; onBoard(f, r);
             f += dirs[i][0], r += dirs[i][1])
            s |= squareBit(makeSquare(f, r));
    return s;
}

constexpr int bitCount(u64 b) {
    int n = 0;
    for (; b; b &= b - 1) ++n;
    return n;
}

// A slider value: 1 + the zone squares on its rays next to it, when its rays meet the zone.
constexpr int sliderCloseness(u64 rays, u64 zone, int sq) {
    if (!(rays & zone)) return 0;
    return 1 + bitCount(rays & zone & kingZone(sq));
}

using TropismTable = std::array<std::array<i32, 128>, 6>;

constexpr void addTropismRegion(TropismTable& t, int king, u64 region) {
    const u64 zone = kingZone(king);
    constexpr int WHITE_PAWN_STEPS[2][2] = {{-1, 1}, {1, 1}};
    constexpr int BLACK_PAWN_STEPS[2][2] = {{-1, -1}, {1, -1}};
    for (int s = 0; s < 64; ++s) {
        // A man never stands on the king's own square.
        if (s == king || !(region & squareBit(s))) continue;
        const int d = x88Distance(king, s);
        auto put = [&](int kind, int v) {
            if (v) t[kind][d] = v;
        };
        put(0, bitCount(zone & leaperSet(s, WHITE_PAWN_STEPS, 2)));
        put(0, bitCount(zone & leaperSet(s, BLACK_PAWN_STEPS, 2)));
        put(1, bitCount(zone & leaperSet(s, KNIGHT_STEPS, 8)));
        const u64 diag = raySet(s, DIAGONAL_STEPS, 4), orth = raySet(s, ORTHOGONAL_STEPS, 4);
        put(2, sliderCloseness(diag, zone, s));
        put(3, sliderCloseness(orth, zone, s));
        put(4, sliderCloseness(diag | orth, zone, s));
        put(5, bitCount(zone & kingZone(s)));
    }
}

constexpr u64 squaresWhere(bool (*pred)(int f, int r)) {
    u64 s = 0;
    for (int sq = 0; sq < 64; ++sq)
        if (pred(fileOf(sq), rankOf(sq))) s |= squareBit(sq);
    return s;
}

constexpr TropismTable buildTropismTable() {
    TropismTable t{};
    // Files a-g, ranks 1-7, against a king on g7.
    addTropismRegion(t, makeSquare(6, 6),
                     squaresWhere([](int f, int r) { return f <= 6 && r <= 6; }));
    // Rank 1 and file a, against a king on h8.
    addTropismRegion(t, makeSquare(7, 7),
                     squaresWhere([](int f, int r) { return r == 0 || f == 0; }));
    // Files c-h, ranks 1-6, against a king on b7.
    addTropismRegion(t, makeSquare(1, 6),
                     squaresWhere([](int f, int r) { return f >= 2 && r <= 5; }));
    // b1-h1 and h2-h7, against a king on a8.
    addTropismRegion(t, makeSquare(0, 7), squaresWhere([](int f, int r) {
                         return (r == 0 && f >= 1) || (f == 7 && r >= 1 && r <= 6);
                     }));
    return t;
}

using SquareMasks = std::array<std::array<u64, 64>, 2>;

// Files f-1..f+1 (or only f-1 and f+1 when `ownFile` is false) on ranks lo..hi.
constexpr u64 fileBand(int f, bool ownFile, int lo, int hi) {
    u64 s = 0;
    for (int r = lo; r <= hi; ++r)
        for (int ff = f - 1; ff <= f + 1; ++ff)
            if (ff >= 0 && ff < 8 && (ownFile || ff != f)) s |= squareBit(makeSquare(ff, r));
    return s;
}

// kind 0 span, 1 own-file front, 2 support.
constexpr SquareMasks buildPawnMasks(int kind) {
    SquareMasks m{};
    for (int c = 0; c < 2; ++c)
        for (int sq = 0; sq < 64; ++sq) {
            const int f = fileOf(sq), r = rankOf(sq);
            if (r == 0 || r == 7) continue;
            u64 v = 0;
            if (kind == 2) {
                v = c == 0 ? fileBand(f, false, 1, r) : fileBand(f, false, r, 6);
            } else {
                // Ahead of the pawn up to the 7th rank (White) or down to the 2nd (Black).
                v = c == 0 ? (r + 1 <= 6 ? fileBand(f, true, r + 1, 6) : 0)
                           : (r - 1 >= 1 ? fileBand(f, true, 1, r - 1) : 0);
                if (kind == 1) v &= 0x0101010101010101ULL << f;
            }
            m[c][sq] = v;
        }
    return m;
}

constexpr std::array<u8, 64> buildKingShieldTable() {
    // The bytes as stored; only their low two bits (the missing-pawn count) are read.
    constexpr u8 period[16] = {2, 1, 2, 1, 5, 4, 5, 4, 5, 1, 5, 1, 8, 4, 8, 4};
    std::array<u8, 64> t{};
    for (int p = 0; p < 64; ++p) t[p] = period[p & 15];
    return t;
}

constexpr std::array<i32, 64> buildKingEdgeTable() {
    std::array<i32, 64> t{};
    for (int sq = 0; sq < 64; ++sq) {
        int f = fileOf(sq), r = rankOf(sq);
        int df = f < 7 - f ? f : 7 - f, dr = r < 7 - r ? r : 7 - r;
        t[sq] = df < dr ? df : dr;
    }
    return t;
}

}  // namespace detail

inline constexpr detail::TropismTable tropismTable = detail::buildTropismTable();
inline constexpr detail::SquareMasks pawnSpanMask = detail::buildPawnMasks(0);
inline constexpr detail::SquareMasks pawnFileFrontMask = detail::buildPawnMasks(1);
inline constexpr detail::SquareMasks pawnSupportMask = detail::buildPawnMasks(2);
// Indexed by a 6-bit king shield pattern; the low two bits are the number of
// missing shield pawns (0..2).
inline constexpr std::array<u8, 64> kingShieldTable = detail::buildKingShieldTable();
// 0 on the rim, 1 on the second ring, 2 on the third, 3 on d4, e4, d5, e5.
inline constexpr std::array<i32, 64> kingEdgeTable = detail::buildKingEdgeTable();

// The missing-pawn count of a shield pattern, by its defining rule: one when
// neither the near-a-file square one or two ranks ahead holds a pawn, one when
// the near-h-file square one rank ahead holds none.
constexpr int missingShieldPawns(int pattern) {
    return ((pattern & 9) == 0 ? 1 : 0) + ((pattern & 4) == 0 ? 1 : 0);
}

// White's piece-square value of a man (kind 1..6) on a square, rank-mirrored
// for Black.
ScorePair pieceSquareValue(Color c, PieceKind kind, int sq);

}  // namespace evaltables
