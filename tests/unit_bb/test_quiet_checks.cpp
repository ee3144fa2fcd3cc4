#include <gtest/gtest.h>

#include <set>

#include "test_search_support.h"

// The quiet checks are exactly the legal non-capturing, non-promoting moves
// that give check, each listed once.
TEST(Quiescence, QuietChecksAreAllTheQuietChecks) {
    const char* fens[] = {
        "5k2/8/8/8/8/8/8/4K2R w K - 0 1",          // O-O checks along the f-file
        "4k3/8/8/8/3N4/8/1B6/4K3 w - - 0 1",       // discovered checks by the knight
        "4k3/8/8/4P3/8/8/8/4R1K1 w - - 0 1",       // a pawn in front of a rook
        "3k4/8/8/8/8/8/2Q5/4K3 w - - 0 1",         // queen checks on lines and diagonals
        "r3k3/4r3/8/8/8/4n3/8/R3K2R b KQq - 0 1",  // Black, knight before a rook
        "4k3/8/3P4/8/8/8/8/4K3 w - - 0 1",         // pawn checks
        "1k6/8/8/8/4B3/8/6K1/8 w - - 0 1",         // a bishop's checks
        "k7/8/8/8/8/8/K7/R7 w - - 0 1",            // the king uncovers a rook
        "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8",
        "2k5/p1pb1p2/1p4p1/2p1P3/2P2KPb/1P2N2r/PB1R1P2/8 b - - 0 1",  // kings on the far ranks
        "8/4K3/8/8/8/8/p7/k7 b - - 0 1",
        "8/8/8/8/8/8/P6k/K7 w - - 0 1",
    };
    for (const char* fen : fens) {
        TestSearch t(fen);
        Board& b = t.board();
        MoveList list, all;
        list.count = all.count = 0;
        CheckInfo info{};
        if (b.sideToMove == WHITE) {
            b.genQuietChecks<WHITE>(list);
            b.computeCheckInfo<WHITE>(info);
            b.genAllMoves<WHITE>(info, all);
        } else {
            b.genQuietChecks<BLACK>(list);
            b.computeCheckInfo<BLACK>(info);
            b.genAllMoves<BLACK>(info, all);
        }
        std::set<Move> expected, got;
        for (u32 i = 0; i < all.count; i++) {
            Move m = all.move(i);
            if (b.kindAt(moveTo(m)) != EMPTY || moveKind(m) == MOVE_PROMOTION ||
                moveKind(m) == MOVE_EN_PASSANT)
                continue;
            UndoRecord u;
            b.makeMove(m, u);
            if (checkersOf(b).count > 0) expected.insert(m);
            b.unmakeMove(m, u);
        }
        for (u32 i = 0; i < list.count; i++) {
            EXPECT_TRUE(got.insert(list.move(i)).second)
                << fen << " twice: " << moveText(list.move(i));
        }
        for (Move m : expected) EXPECT_TRUE(got.count(m)) << fen << " missing " << moveText(m);
        for (Move m : got) EXPECT_TRUE(expected.count(m)) << fen << " not a check " << moveText(m);
    }
}
