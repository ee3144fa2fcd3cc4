// A position as the tablebase prober takes it. Boards fill it; the prober
// reads it. No dependencies, so that every board can include it.
#pragma once

#include <cstdint>

// Results of a probe. "Not probed" is what the engine side presets before it asks.
enum TbOutcome : std::int32_t {
    TB_DRAW = 0,
    TB_WHITE_MATES = 1,
    TB_BLACK_MATES = 2,
    TB_NO_VALUE = 3,
    TB_NOT_PROBED = 7,
};

struct TbProbeInput {
    static constexpr std::uint32_t LIST_SIZE = 17;  // 16 men and the terminator
    static constexpr std::uint32_t END_SQUARE = 64;
    static constexpr std::uint8_t END_KIND = 0;

    std::int32_t side = 0;       // 0 White to move, 1 Black to move
    std::int32_t epSquare = 64;  // en-passant target square a1 = 0 .. h8 = 63, 64 none
    // 8 White king side, 4 White queen side, 2 Black king side, 1 Black queen side.
    std::int32_t castling = 0;
    // Each side's men, king first, then queens, rooks, bishops, knights and
    // pawns; squares end with 64, kinds (1 pawn .. 6 king) with 0.
    std::uint32_t whiteSquares[LIST_SIZE] = {64};
    std::uint32_t blackSquares[LIST_SIZE] = {64};
    std::uint8_t whitePieces[LIST_SIZE] = {0};
    std::uint8_t blackPieces[LIST_SIZE] = {0};
};
