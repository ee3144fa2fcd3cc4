// The 0x88 board's moves: generation order, the edge cases of generation,
// attack tests and pins, legality, make/unmake over random walks, and the
// picker's losing-capture and stored-move tests.
#include <algorithm>
#include <cstdlib>

#include "x88_test_util.h"

namespace {

template <Color Us>
MoveList generate(Board_0x88& b, void (Board_0x88::*gen)(const CheckInfo&, MoveList&)) {
    MoveList list{};
    (b.*gen)(checkInfo0x88(b), list);
    return list;
}

using Texts = std::vector<std::string>;

}  // namespace

TEST(Order0x88, StartPositionAndFirstReplyFollowTheLists) {
    auto b = board0x88("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(
        texts0x88(allMoves0x88(*b)),
        (Texts{"b1a3", "b1c3", "g1f3", "g1h3", "a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4",
               "d2d3", "d2d4", "e2e3", "e2e4", "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4"}));
    UndoRecord undo{};
    b->makeMove<WHITE>(find0x88(*b, "e2e4"), undo);
    const Texts reply = texts0x88(allMoves0x88(*b));
    EXPECT_EQ(Texts(reply.begin(), reply.begin() + 6),
              (Texts{"b8c6", "b8a6", "g8h6", "g8f6", "a7a6", "a7a5"}));
    EXPECT_EQ(reply.back(), "h7h5");
}

TEST(Order0x88, PromotionsByTargetThenPiece) {
    auto w = board0x88("n1b1k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    const Texts twelve{"b7a8q", "b7a8n", "b7a8r", "b7a8b", "b7c8q", "b7c8n",
                       "b7c8r", "b7c8b", "b7b8q", "b7b8n", "b7b8r", "b7b8b"};
    Texts all = texts0x88(allMoves0x88(*w));
    all.erase(std::remove_if(all.begin(), all.end(), [](auto& t) { return t[0] != 'b'; }),
              all.end());
    EXPECT_EQ(all, twelve);
    EXPECT_EQ(texts0x88(generate<WHITE>(*w, &Board_0x88::genCaptures<WHITE>)), twelve);
    EXPECT_EQ(texts0x88(generate<WHITE>(*w, &Board_0x88::genQsCaptures<WHITE>)),
              (Texts{"b7a8q", "b7c8q", "b7b8q"}));
    Texts quiets = texts0x88(generate<WHITE>(*w, &Board_0x88::genQuiets<WHITE>));
    EXPECT_TRUE(std::none_of(quiets.begin(), quiets.end(), [](auto& t) { return t[0] == 'b'; }));

    auto bl = board0x88("4k3/8/8/8/8/8/6p1/4KN1R b - - 0 1");
    const Texts black = texts0x88(generate<BLACK>(*bl, &Board_0x88::genCaptures<BLACK>));
    EXPECT_EQ(Texts(black.begin(), black.begin() + 12),
              (Texts{"g2h1q", "g2h1n", "g2h1r", "g2h1b", "g2f1q", "g2f1n", "g2f1r", "g2f1b",
                     "g2g1q", "g2g1n", "g2g1r", "g2g1b"}));
}

TEST(Order0x88, EnPassantFirstAndOnlyWhenTheKingStaysSafe) {
    auto b = board0x88("4k3/8/8/3PpP2/8/8/8/4K3 w - e6 0 1");
    const Texts all = texts0x88(allMoves0x88(*b));
    EXPECT_EQ(Texts(all.begin(), all.begin() + 2), (Texts{"f5e6", "d5e6"}));
    // The capture empties the rank between the king and the rook.
    auto rank = board0x88("4k3/8/8/K2Pp2r/8/8/8/8 w - e6 0 1");
    EXPECT_EQ(generate<WHITE>(*rank, &Board_0x88::genEnPassant<WHITE>).count, 0u);
    auto shielded = board0x88("4k3/8/8/K1NPp2r/8/8/8/8 w - e6 0 1");
    EXPECT_EQ(texts0x88(generate<WHITE>(*shielded, &Board_0x88::genEnPassant<WHITE>)),
              (Texts{"d5e6"}));
}

TEST(Generation0x88, PinsChecksAndCastling) {
    // A rook pinned on the e-file keeps its file moves, nearest first; a pinned knight has none.
    auto pin = board0x88("4r1k1/8/8/8/4R3/8/4N3/4K3 w - - 0 1");
    auto pinned = board0x88("4r1k1/8/8/8/4R3/8/8/4K3 w - - 0 1");
    Texts rook = texts0x88(allMoves0x88(*pinned));
    rook.erase(std::remove_if(rook.begin(), rook.end(), [](auto& t) { return t.rfind("e4", 0); }),
               rook.end());
    EXPECT_EQ(rook, (Texts{"e4e5", "e4e6", "e4e7", "e4e8", "e4e3", "e4e2"}));
    auto knight = board0x88("4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1");
    for (const std::string& t : texts0x88(allMoves0x88(*knight))) EXPECT_NE(t.substr(0, 2), "e2");
    (void)pin;

    // Double check by knight and bishop: only king moves survive, no castling.
    auto dbl = board0x88("4k3/8/8/8/1b6/3n4/8/R3K2R w KQ - 0 1");
    const CheckInfo info = checkInfo0x88(*dbl);
    EXPECT_EQ(info.checkers.count, 1);          // only the first attacker is recorded
    EXPECT_EQ(info.checkers.squares[0], 0x23);  // the knight
    for (const std::string& t : texts0x88(allMoves0x88(*dbl))) EXPECT_EQ(t.substr(0, 2), "e1");

    // Castling: f1 attacked stops king side; g1 attacked is caught by the trial;
    // b1 attacked does not stop queen side.
    auto castles = [](const char* fen) {
        auto b = board0x88(fen);
        return texts0x88(generate<WHITE>(*b, &Board_0x88::genCastling<WHITE>));
    };
    EXPECT_EQ(castles("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1"), (Texts{"e1g1", "e1c1"}));
    EXPECT_EQ(castles("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1").size(), 2u);
    EXPECT_EQ(castles("4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1"), (Texts{"e1c1"}));
    EXPECT_EQ(castles("4k1r1/8/8/8/8/8/8/R3K2R w KQ - 0 1"), (Texts{"e1c1"}));
    EXPECT_EQ(castles("1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1"), (Texts{"e1g1", "e1c1"}));
    auto black = board0x88("r3k2r/8/8/8/8/8/8/4K3 b kq - 0 1");
    EXPECT_EQ(texts0x88(generate<BLACK>(*black, &Board_0x88::genCastling<BLACK>)),
              (Texts{"e8g8", "e8c8"}));
}

TEST(Generation0x88, AFullListTakesNoMore) {
    auto b = board0x88("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    MoveList list{};
    list.count = 255;
    b->genAllMoves<WHITE>(checkInfo0x88(*b), list);
    EXPECT_EQ(list.count, 255u);
    // A list filled by queens stops at 255 without writing past it.
    auto queens = board0x88("QQQQQQQQ/Q7/8/8/8/8/8/k6K b - - 0 1");
    queens->sideToMove = WHITE;
    MoveList many{};
    for (int i = 0; i < 3; ++i) queens->genQuiets<WHITE>(CheckInfo{}, many);
    EXPECT_EQ(many.count, 255u);
}

TEST(Attacks0x88, FirstAttackerOrderRaysAndPins) {
    auto b = board0x88("3rk3/8/8/3q4/8/8/3N4/3RK3 w - - 0 1");
    CheckerList list{};
    // d4 is attacked by the queen on d5 (first on the ray), not the rook behind.
    EXPECT_TRUE(b->isAttackedBy<BLACK>(0x33, list));
    EXPECT_EQ(list.squares[0], 0x43);
    // The white knight on d2 blocks the white rook's file: d3 is not attacked along it.
    EXPECT_EQ(b->firstAttacker<WHITE>(0x23), -1);
    // No pawn attack is looked for off the a-file edge.
    auto edge = board0x88("4k3/8/8/8/8/8/7P/4K3 w - - 0 1");
    EXPECT_EQ(edge->firstAttacker<WHITE>(0x20), -1);
    // isAttackedBy appends while fewer than two; isSquareAttacked records one.
    CheckerList two{};
    b->isAttackedBy<BLACK>(0x33, two);
    b->isAttackedBy<BLACK>(0x33, two);
    b->isAttackedBy<BLACK>(0x33, two);
    EXPECT_EQ(two.count, 2);
    EXPECT_TRUE(b->isSquareAttacked<BLACK>(0x33, two));
    EXPECT_EQ(two.count, 1);

    // Pins: a man pinned on e2 sets bit 12; two own men on the ray pin neither;
    // a bishop on the file does not pin along it.
    EXPECT_EQ(board0x88("4r1k1/8/8/8/8/8/4B3/4K3 w - - 0 1")->computePinnedOrthogonal<WHITE>(),
              squareBit(12));
    EXPECT_EQ(board0x88("4r1k1/8/8/8/4N3/8/4B3/4K3 w - - 0 1")->computePinnedOrthogonal<WHITE>(),
              0u);
    EXPECT_EQ(board0x88("4b1k1/8/8/8/8/8/4B3/4K3 w - - 0 1")->computePinnedOrthogonal<WHITE>(), 0u);
    EXPECT_EQ(board0x88("6k1/8/8/b7/8/8/3P4/4K3 w - - 0 1")->computePinnedDiagonal<WHITE>(),
              squareBit(11));
}

TEST(Legality0x88, QuickTestAgreesWithTheTrial) {
    // Every pseudo move a man could make (all targets of its steps) in some
    // awkward positions: isLegalMove with the position's CheckInfo equals
    // isLegalMoveFull, and both equal membership in genAllMoves.
    for (const char* fen : {
             "4k3/8/8/K2Pp2r/8/8/8/8 w - e6 0 1",
             "6k1/8/8/b7/8/8/3P4/4K3 w - - 0 1",
             "4k3/8/8/8/1b6/3n4/8/R3K2R w KQ - 0 1",
             "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
             "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
         }) {
        auto b = board0x88(fen);
        const CheckInfo info = checkInfo0x88(*b);
        const MoveList legal = allMoves0x88(*b);
        std::vector<Move> all(legal.slots, legal.slots + legal.count);
        for (u32 i = 0; i < 64; ++i)
            for (u32 j = 0; j < 64; ++j) {
                const Move m = makeMoveWord(Square(i), Square(j));
                if (!b->isMovePseudoLegal<WHITE>(m)) continue;
                const bool quick = b->isLegalMove<WHITE>(m, info);
                EXPECT_EQ(quick, b->isLegalMoveFull<WHITE>(m)) << fen << " " << text0x88(m);
                EXPECT_EQ(quick, std::find(all.begin(), all.end(), m) != all.end())
                    << fen << " " << text0x88(m);
            }
    }
}

// Random walks: every make is undone exactly (arrays, lists in order, counts,
// sums, keys, clocks); incremental keys equal the recount after each make; the
// perft make leaves the key that the full make computes.
TEST(MakeUnmake0x88, RandomWalksRestoreEverything) {
    std::srand(12345);
    for (const char* fen : {
             "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
             "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
             "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
             "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
         }) {
        for (int walk = 0; walk < 40; ++walk) {
            auto b = board0x88(fen);
            std::vector<Move> moves;
            std::vector<UndoRecord> undos(60);
            std::vector<Snapshot0x88> before;
            for (int ply = 0; ply < 60; ++ply) {
                const MoveList list = allMoves0x88(*b);
                if (list.count == 0) break;
                const Move m = list.move(u32(std::rand()) % list.count);
                before.emplace_back(*b);
                UndoRecord perftUndo{};
                b->perftKeys[b->perftKeyCount] = b->current().key;
                const Snapshot0x88 pre(*b);
                if (b->sideToMove == WHITE)
                    b->makeMovePerft<WHITE>(m, perftUndo);
                else
                    b->makeMovePerft<BLACK>(m, perftUndo);
                const HashKey perftKey = b->perftKeys[b->perftKeyCount];
                if (b->sideToMove == BLACK)
                    b->unmakeMovePerft<WHITE>(m, perftUndo);
                else
                    b->unmakeMovePerft<BLACK>(m, perftUndo);
                ASSERT_TRUE(Snapshot0x88(*b) == pre) << fen << " perft " << text0x88(m);
                b->makeMove(m, undos[ply]);
                moves.push_back(m);
                ASSERT_TRUE(b->isConsistent()) << fen << " " << text0x88(m);
                ASSERT_EQ(perftKey, b->current().key) << fen << " " << text0x88(m);
            }
            while (!moves.empty()) {
                b->unmakeMove(moves.back(), undos[moves.size() - 1]);
                moves.pop_back();
                ASSERT_TRUE(Snapshot0x88(*b) == before[moves.size()]) << fen;
            }
        }
    }
}

TEST(MakeUnmake0x88, EnPassantSquareRightsAndClock) {
    auto b = board0x88("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    std::vector<UndoRecord> u(8);
    b->makeMove(find0x88(*b, "e2e4"), u[0]);
    EXPECT_EQ(b->epSquare, x88::NO_EP);  // no black pawn beside e4
    b->makeMove(find0x88(*b, "g8f6"), u[1]);
    b->makeMove(find0x88(*b, "e4e5"), u[2]);
    b->makeMove(find0x88(*b, "d7d5"), u[3]);
    EXPECT_EQ(b->epSquare, 83);
    EXPECT_EQ(b->current().key, b->computeFullKey());
    // Edge pawns look at one neighbour only.
    auto a = board0x88("4k3/8/8/7p/1p4P1/8/P7/4K3 w - - 0 1");
    a->makeMove(find0x88(*a, "a2a4"), u[4]);
    EXPECT_EQ(a->epSquare, 0x20);
    // Captures on a corner and rook or king moves clear rights; castling ticks the clock.
    auto c = board0x88("r3k2r/8/1N6/8/8/8/8/R3K2R w KQkq - 5 9");
    c->makeMove(find0x88(*c, "b6a8"), u[5]);
    EXPECT_EQ(c->castlingRights, WHITE_KING_SIDE | WHITE_QUEEN_SIDE | BLACK_KING_SIDE);
    EXPECT_EQ(c->halfMoveClock, 0);
    c->makeMove(find0x88(*c, "e8g8"), u[6]);
    EXPECT_EQ(c->halfMoveClock, 1);
    EXPECT_EQ(c->castlingRights, WHITE_KING_SIDE | WHITE_QUEEN_SIDE);
    c->makeMove(find0x88(*c, "a1a2"), u[7]);
    EXPECT_EQ(c->castlingRights, WHITE_KING_SIDE);
    // The captured rook's slot is in the undo and it comes back there.
    EXPECT_EQ(u[5].capturedKind, 2u | (ROOK << 4));
}

TEST(Picker0x88, LosingCaptureLooksAtPawnAndKnightGuardsOnly) {
    i32 value = 0;
    // Rook takes a pawn guarded by a pawn: losing; by a knight: losing; by a bishop: not seen.
    EXPECT_TRUE(board0x88("4k3/8/2p5/3p4/8/8/8/3RK3 w - - 0 1")
                    ->isLosingCapture<WHITE>(makeMoveWord(3, 35), value));
    EXPECT_EQ(value, 125);
    EXPECT_TRUE(board0x88("4k3/4n3/8/3p4/8/8/8/3RK3 w - - 0 1")
                    ->isLosingCapture<WHITE>(makeMoveWord(3, 35), value));
    EXPECT_FALSE(board0x88("4k3/8/1b6/3p4/8/8/8/3RK3 w - - 0 1")
                     ->isLosingCapture<WHITE>(makeMoveWord(3, 35), value));
    // A bishop taking a knight-guarded pawn: knights not looked at for minors.
    EXPECT_FALSE(board0x88("4k3/4n3/8/3p4/8/1B6/8/4K3 w - - 0 1")
                     ->isLosingCapture<WHITE>(makeMoveWord(17, 35), value));
    // Black's view: a white pawn on c3 guards d4 against the black queen.
    EXPECT_TRUE(board0x88("3qk3/8/8/8/3N4/2P5/8/4K3 b - - 0 1")
                    ->isLosingCapture<BLACK>(makeMoveWord(59, 27), value));
}

TEST(Picker0x88, StoredMovesArePseudoLegalExactlyWhenGenerable) {
    // Every generated move passes; every word that passes and keeps the king
    // safe is generated (castling needs king and rook at home and a safe path).
    for (const char* fen : {
             "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1",
             "rnbqkbnr/pp1ppppp/8/2pP4/8/8/PPP1PPPP/RNBQKBNR w KQkq c6 0 2",
             "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
         }) {
        auto b = board0x88(fen);
        const MoveList list = allMoves0x88(*b);
        std::vector<Move> all(list.slots, list.slots + list.count);
        const bool white = b->sideToMove == WHITE;
        for (Move m : all)
            EXPECT_TRUE(white ? b->isMovePseudoLegal<WHITE>(m) : b->isMovePseudoLegal<BLACK>(m))
                << fen << " " << text0x88(m);
        for (u32 word = 1; word < 65536; ++word) {
            const Move m = Move(word);
            const bool pseudo =
                white ? b->isMovePseudoLegal<WHITE>(m) : b->isMovePseudoLegal<BLACK>(m);
            if (!pseudo) continue;
            const bool safe = white ? b->isLegalMoveFull<WHITE>(m) : b->isLegalMoveFull<BLACK>(m);
            EXPECT_EQ(safe, std::find(all.begin(), all.end(), m) != all.end())
                << fen << " " << text0x88(m) << " " << word;
        }
    }
}
