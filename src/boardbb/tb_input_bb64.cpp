// The tablebase probe input taken from the bitboards.
#include <initializer_list>

#include "board/tb_probe_input.h"
#include "boardbb/board_bb64.h"

namespace {

// One side's men: the king, then queens, rooks, bishops, knights and pawns,
// each kind by ascending square; ended by square 64 and kind 0.
void listMen(const Board_BB64& board, Color c, std::uint32_t* squares, std::uint8_t* kinds) {
    u32 n = 0;
    for (PieceKind k : {KING, QUEEN, ROOK, BISHOP, KNIGHT, PAWN})
        for (Bitboard b = board.pieces(k, c); b && n < TbProbeInput::LIST_SIZE - 1;) {
            squares[n] = popLowest(b);
            kinds[n++] = k;
        }
    squares[n] = TbProbeInput::END_SQUARE;
    kinds[n] = TbProbeInput::END_KIND;
}

}  // namespace

template <Color Us>
void buildTablebaseProbe(const Board_BB64& board, TbProbeInput& in) {
    in.side = Us;
    in.epSquare = board.epSquare >= 64 ? 64 : board.epSquare;
    const u32 rights = board.castlingRights;
    in.castling = (rights & WHITE_KING_SIDE ? 8 : 0) | (rights & WHITE_QUEEN_SIDE ? 4 : 0) |
                  (rights & BLACK_KING_SIDE ? 2 : 0) | (rights & BLACK_QUEEN_SIDE ? 1 : 0);
    listMen(board, WHITE, in.whiteSquares, in.whitePieces);
    listMen(board, BLACK, in.blackSquares, in.blackPieces);
}

template void buildTablebaseProbe<WHITE>(const Board_BB64&, TbProbeInput&);
template void buildTablebaseProbe<BLACK>(const Board_BB64&, TbProbeInput&);
