#include "eval/eval_tables.h"

#include <cassert>

namespace {

// White's values on files a..d, rank 1 first; files e..h mirror d..a.
// [kind - 1][rank][file a..d] as {mg, eg}.
constexpr ScorePair WHITE_HALF[6][8][4] = {
    // Pawn (ranks 1 and 8 hold no pawn).
    {{{0, 0}, {0, 0}, {0, 0}, {0, 0}},
     {{-7, 0}, {15, 16}, {7, 37}, {-4, 43}},
     {{2, 10}, {24, 26}, {37, 13}, {26, 19}},
     {{-7, 18}, {15, 34}, {28, 21}, {57, 5}},
     {{7, 31}, {29, 47}, {42, 34}, {71, 18}},
     {{61, 58}, {83, 74}, {96, 61}, {85, 67}},
     {{132, 101}, {154, 117}, {146, 138}, {135, 144}},
     {{0, 0}, {0, 0}, {0, 0}, {0, 0}}},
    // Knight.
    {{{0, -40}, {34, -22}, {45, -14}, {46, -2}},
     {{21, -22}, {55, -4}, {66, 4}, {67, 16}},
     {{37, -12}, {71, 6}, {82, 14}, {83, 26}},
     {{38, 12}, {72, 30}, {83, 38}, {84, 50}},
     {{46, 21}, {80, 39}, {91, 47}, {92, 59}},
     {{90, -11}, {124, 7}, {135, 15}, {136, 27}},
     {{31, -13}, {65, 5}, {76, 13}, {77, 25}},
     {{-130, -51}, {-21, -5}, {-10, 3}, {-9, 15}}},
    // Bishop.
    {{{35, -26}, {52, -22}, {47, -19}, {41, -12}},
     {{58, -28}, {75, -24}, {70, -21}, {64, -14}},
     {{43, -9}, {60, -5}, {55, -2}, {49, 5}},
     {{29, -1}, {46, 3}, {41, 6}, {35, 13}},
     {{28, 11}, {45, 15}, {40, 18}, {34, 25}},
     {{40, 5}, {57, 9}, {52, 12}, {46, 19}},
     {{11, 4}, {28, 8}, {23, 11}, {17, 18}},
     {{-15, -1}, {2, 3}, {-3, 6}, {-9, 13}}},
    // Rook.
    {{{48, 0}, {44, 12}, {66, 9}, {69, 4}},
     {{11, 16}, {7, 28}, {29, 25}, {32, 20}},
     {{18, 16}, {14, 28}, {36, 25}, {39, 20}},
     {{15, 30}, {11, 42}, {33, 39}, {36, 34}},
     {{22, 36}, {18, 48}, {40, 45}, {43, 40}},
     {{32, 38}, {28, 50}, {50, 47}, {53, 42}},
     {{80, 38}, {76, 50}, {98, 47}, {101, 42}},
     {{49, 43}, {45, 55}, {67, 52}, {70, 47}}},
    // Queen.
    {{{93, -32}, {86, -19}, {88, -23}, {89, -10}},
     {{93, -31}, {86, -18}, {88, -22}, {89, -9}},
     {{68, 5}, {61, 18}, {63, 14}, {64, 27}},
     {{48, 36}, {41, 49}, {43, 45}, {44, 58}},
     {{37, 58}, {30, 71}, {32, 67}, {33, 80}},
     {{75, 23}, {68, 36}, {70, 32}, {71, 45}},
     {{14, 69}, {7, 82}, {9, 78}, {10, 91}},
     {{74, 59}, {67, 72}, {69, 68}, {70, 81}}},
    // King.
    {{{19, 0}, {48, 25}, {-25, 53}, {-5, 48}},
     {{-43, 56}, {-14, 81}, {-87, 109}, {-67, 104}},
     {{-68, 73}, {-39, 98}, {-112, 126}, {-92, 121}},
     {{-112, 89}, {-83, 114}, {-156, 142}, {-136, 137}},
     {{-29, 96}, {0, 121}, {-73, 149}, {-53, 144}},
     {{56, 103}, {85, 128}, {12, 156}, {32, 151}},
     {{23, 94}, {52, 119}, {-21, 147}, {-1, 142}},
     {{13, 47}, {42, 72}, {-31, 100}, {-11, 95}}},
};

constexpr ScorePair whiteValue(int kindIndex, int sq) {
    const int f = fileOf(sq);
    return WHITE_HALF[kindIndex][rankOf(sq)][f < 4 ? f : 7 - f];
}

// Entry i of the flattened [colour][kind - 1][square] table.
constexpr ScorePair pstEntry(int i) {
    const int colour = i / 384, kindIndex = (i / 64) % 6, sq = i % 64;
    return whiteValue(kindIndex, colour == WHITE ? sq : sq ^ 56);
}

}  // namespace

// Spelled out entry by entry so that the table is constant-initialised: it is
// complete before any code runs, whatever the order of start-up.
#define TALUN_PST8(i)                                                                \
    pstEntry(i), pstEntry(i + 1), pstEntry(i + 2), pstEntry(i + 3), pstEntry(i + 4), \
        pstEntry(i + 5), pstEntry(i + 6), pstEntry(i + 7)
#define TALUN_PST64(i)                                                                     \
    {                                                                                      \
        TALUN_PST8(i), TALUN_PST8(i + 8), TALUN_PST8(i + 16), TALUN_PST8(i + 24),          \
            TALUN_PST8(i + 32), TALUN_PST8(i + 40), TALUN_PST8(i + 48), TALUN_PST8(i + 56) \
    }
#define TALUN_PST_COLOUR(i)                                                              \
    {                                                                                    \
        TALUN_PST64(i), TALUN_PST64(i + 64), TALUN_PST64(i + 128), TALUN_PST64(i + 192), \
            TALUN_PST64(i + 256), TALUN_PST64(i + 320)                                   \
    }

constinit ScorePair pieceSquareTable[2][6][64] = {TALUN_PST_COLOUR(0), TALUN_PST_COLOUR(384)};

#undef TALUN_PST_COLOUR
#undef TALUN_PST64
#undef TALUN_PST8

void initEvaluationTables() {
    assert(pieceSquareTable[WHITE][KNIGHT - 1][0].eg == -40);
}

namespace evaltables {

ScorePair pieceSquareValue(Color c, PieceKind kind, int sq) {
    return whiteValue(kind - 1, c == WHITE ? sq : sq ^ 56);
}

}  // namespace evaltables
