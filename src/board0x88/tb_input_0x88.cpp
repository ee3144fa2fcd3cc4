// The tablebase probe input of the 0x88 board, taken from its piece lists.
#include "board0x88/board_0x88.h"
#include "board/tb_probe_input.h"

template <Color Us>
void buildTablebaseProbe(const Board_0x88& board, TbProbeInput& input) {
    input.side = Us;
    input.epSquare = x88::epAsSquare(board.epSquare);
    // Rights bits 1, 2, 4, 8 become the prober's 8, 4, 2, 1.
    input.castling = ((board.castlingRights & 1) << 3) | ((board.castlingRights & 2) << 1) |
                     ((board.castlingRights & 4) >> 1) | ((board.castlingRights & 8) >> 3);
    u32* squares[2] = {input.whiteSquares, input.blackSquares};
    u8* kinds[2] = {input.whitePieces, input.blackPieces};
    for (u32 c = 0; c < 2; ++c) {
        u32 n = 0;
        for (u32 slot = 0; slot < 16; ++slot) {
            const u8 sq = board.pieceLists[c][slot];
            if (!x88::onBoard(sq)) continue;
            squares[c][n] = x88::toSquare(sq);
            kinds[c][n++] = board.pieceKinds[sq];
        }
        squares[c][n] = TbProbeInput::END_SQUARE;
        kinds[c][n] = TbProbeInput::END_KIND;
    }
}
template void buildTablebaseProbe<WHITE>(const Board_0x88&, TbProbeInput&);
template void buildTablebaseProbe<BLACK>(const Board_0x88&, TbProbeInput&);
