#include "movegen_test_util.h"

TEST(MoveGen, EvasionsMatchAllMovesInCheck) {
    const char* fens[] = {
        "4k3/8/8/8/8/5n2/8/R3K2r w - - 0 1",
        "4k3/8/8/8/1b6/8/3PN3/R3K2R w KQ - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q2/PPPBBPpP/R3K2R w KQkq - 0 1",
        "8/8/3k4/2pP4/8/8/8/4K3 b - - 0 1",
        "8/2p5/3p4/KP5r/1R3pPk/8/4P3/8 b - g3 0 1",
        "3r3k/2P5/8/8/8/8/8/3K4 w - - 0 1",
        "4k3/8/8/8/8/8/8/rN2K3 w - - 0 1",
    };
    for (const char* fen : fens) {
        auto b = boardFromFen(fen);
        CheckInfo info = checkInfoOf(*b);
        MoveList all = emptyList(), evasions = emptyList();
        if (b->sideToMove == WHITE) {
            b->genAllMoves<WHITE>(info, all);
            b->genEvasions<WHITE>(info, evasions);
        } else {
            b->genAllMoves<BLACK>(info, all);
            b->genEvasions<BLACK>(info, evasions);
        }
        if (info.checkers.count == 0) continue;
        EXPECT_EQ(sorted(moveWords(all)), sorted(moveWords(evasions))) << fen;
    }
}
