// The staged move picker, move ordering and the stored-move tests.
#include <cstdlib>

#include "board/move_picker.h"
#include "movegen_test_util.h"

namespace {

using Texts = std::vector<std::string>;

Move moveOf(Board& b, const std::string& text) {
    Move m = 0;
    EXPECT_TRUE(parseMove(b, text.c_str(), m)) << text;
    return m;
}

std::vector<Move> drain(MovePicker& p, bool ordered) {
    std::vector<Move> out;
    const bool white = p.board->sideToMove == WHITE;
    for (;;) {
        Move m = ordered ? (white ? p.next<WHITE, true>() : p.next<BLACK, true>())
                         : (white ? p.next<WHITE, false>() : p.next<BLACK, false>());
        if (!m) break;
        out.push_back(m);
    }
    return out;
}

const char* KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

TEST(MovePicker, NoLegalMovesAnswersZeroForGood) {
    auto b = boardFromFen("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");  // stalemate
    MovePicker p;
    p.initLegal(b.get(), NO_MOVE);
    EXPECT_EQ((p.next<BLACK, false>()), NO_MOVE);
    EXPECT_EQ((p.next<BLACK, false>()), NO_MOVE);
    EXPECT_EQ(p.moveList.count, 0u);
}

TEST(MovePicker, UnorderedHandsOutGenerationOrder) {
    auto b = boardFromFen(KIWIPETE);
    MovePicker p;
    p.initLegal(b.get(), NO_MOVE);
    EXPECT_EQ(drain(p, false), moveWords(legalList(*b)));
}

TEST(MovePicker, OrderedPutsGoodCapturesFirstAndKeepsListOrderAmongEquals) {
    auto b = boardFromFen(KIWIPETE);
    CheckerList none{};
    MovePicker p;
    p.init(PICK_FULL_WIDTH, b.get(), none, NO_MOVE);
    const std::vector<Move> moves = drain(p, true);
    EXPECT_EQ(sorted(moves), sorted(moveWords(legalList(*b))));
    // Replay the values: non-increasing, and good tactical moves (>= 1000) first.
    MovePicker q;
    q.init(PICK_FULL_WIDTH, b.get(), none, NO_MOVE);
    b->genAllMoves<WHITE>(q.checkInfo(), q.moveList);
    scoreMoves<WHITE>(*b, q);
    std::vector<int> valueOf(65536, 0);
    for (u32 i = 0; i < q.moveList.count; ++i) valueOf[q.moveList.move(i)] = q.moveList.value(i);
    bool seenBelow = false;
    for (Move m : moves) {
        if (valueOf[m] < 1000) seenBelow = true;
        if (seenBelow) {
            EXPECT_LT(valueOf[m], 1000) << moveText(m);
        }
    }
}

TEST(MovePicker, EqualValuesComeOutInListOrder) {
    auto b = boardFromFen("4k3/8/8/8/8/8/8/4K2R w K - 0 1");
    MovePicker p;
    CheckerList none{};
    p.init(PICK_FULL_WIDTH, b.get(), none, NO_MOVE);
    b->genAllMoves<WHITE>(p.checkInfo(), p.moveList);
    const std::vector<Move> listed = moveWords(p.moveList);
    for (u32 i = 0; i < p.moveList.count; ++i) p.moveList.setValue(i, 7);
    p.stageIndex = 2;  // the list stage, already started with the list in place
    p.stageStarted = 1;
    std::vector<Move> out;
    while (Move m = p.next<WHITE, true>()) out.push_back(m);
    EXPECT_EQ(out, listed);
}

TEST(MovePicker, StoredMovesAreHandedOutOnce) {
    auto b = boardFromFen(KIWIPETE);
    const Move pv = moveOf(*b, "e2a6");
    const Move hash = moveOf(*b, "d5e6");
    CheckerList none{};
    for (Move hashMove : {hash, pv}) {
        MovePicker p;
        p.init(PICK_FULL_WIDTH, b.get(), none, pv);
        p.hashMove = hashMove;
        const std::vector<Move> out = drain(p, true);
        EXPECT_EQ(out.size(), 48u);
        EXPECT_EQ(out[0], pv);
        if (hashMove != pv) {
            EXPECT_EQ(out[1], hash);
        }
        EXPECT_EQ(std::count(out.begin(), out.end(), pv), 1);
        EXPECT_EQ(std::count(out.begin(), out.end(), hash), 1);
    }
}

TEST(MovePicker, ImpossibleHashMoveIsReportedAndNotHandedOut) {
    auto b = boardFromFen("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    const Move impossible[] = {
        makeMoveWord(60, 52),                 // a Black king move while White is to move
        makeMoveWord(4, 4),                   // from equals to
        makeMoveWord(49, 57),                 // pawn onto the last rank without promotion
        makeMoveWord(4, 12, MOVE_NORMAL, 2),  // flag bits that no normal move has
    };
    CheckerList none{};
    for (Move hash : impossible) {
        MovePicker p;
        p.init(PICK_FULL_WIDTH, b.get(), none, NO_MOVE);
        p.hashMove = hash;
        testing::internal::CaptureStdout();
        const std::vector<Move> out = drain(p, true);
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(printed.rfind("# hash collision: ", 0), 0u) << printed;
        EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1);
        EXPECT_EQ(sorted(out), sorted(moveWords(legalList(*b))));
    }
}

TEST(MovePicker, HashMoveWithWrongFlagsDoesNotHideTheRealMove) {
    // e2e4 stored without its double-step flag is refused, and the real
    // e2e4 of the list is still handed out.
    auto b = boardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    CheckerList none{};
    MovePicker p;
    p.init(PICK_FULL_WIDTH, b.get(), none, NO_MOVE);
    p.hashMove = makeMoveWord(12, 28);
    testing::internal::CaptureStdout();
    const std::vector<Move> out = drain(p, true);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.size(), 20u);
    EXPECT_EQ(std::count(out.begin(), out.end(), makeMoveWord(12, 28, MOVE_NORMAL, 1)), 1);
}

TEST(MovePicker, EvasionPickerTestsTheHashMoveFully) {
    // In check from the rook on e8: a hash move that ignores the check is refused.
    auto b = boardFromFen("4r1k1/8/8/8/8/8/3P4/4K3 w - - 0 1");
    CheckInfo info = checkInfoOf(*b);
    MovePicker p;
    p.init(PICK_EVASIONS, b.get(), info.checkers, NO_MOVE);
    p.hashMove = makeMoveWord(11, 19);  // d2d3
    testing::internal::CaptureStdout();
    const std::vector<Move> out = drain(p, true);
    EXPECT_FALSE(testing::internal::GetCapturedStdout().empty());
    EXPECT_EQ(sorted(out), sorted(moveWords(legalList(*b))));
}

TEST(MovePicker, QuiescenceHandsOutCapturesBestFirst) {
    auto b = boardFromFen("4k3/8/8/2q1r3/3P4/8/8/4K3 w - - 0 1");
    CheckerList none{};
    MovePicker p;
    p.init(PICK_QUIESCENCE, b.get(), none, NO_MOVE);
    EXPECT_EQ(moveTexts(p.moveList), Texts{});
    std::vector<std::string> out;
    while (Move m = p.next<WHITE, true>()) out.push_back(moveText(m));
    EXPECT_EQ(out, (Texts{"d4c5", "d4e5"}));
}

TEST(MoveOrdering, ValuesOfTheExamples) {
    initEvaluationTables();
    struct Case {
        const char* fen;
        const char* move;
        int value;
    } cases[] = {
        {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4d5", 1063},  // pawn takes pawn
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 1063},  // en passant
        {"7k/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8q", 1031},    // queen promotion
        {"7k/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8n", 1015},    // knight promotion
        {"4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", 10},   // losing queen takes pawn
    };
    for (const Case& c : cases) {
        auto b = boardFromFen(c.fen);
        const Move m = moveOf(*b, c.move);
        CheckerList none{};
        MovePicker p;
        p.init(PICK_FULL_WIDTH, b.get(), none, NO_MOVE);
        p.moveList.add(m);
        scoreMoves<WHITE>(*b, p);
        EXPECT_EQ(p.moveList.value(0), c.value) << c.fen << " " << c.move;
    }
    // A killer pawn push: 0 - 1 + 150.
    auto b = boardFromFen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
    const Move push = moveOf(*b, "e2e3");
    b->history[b->historyIndex].killer2 = push;
    MovePicker p;
    CheckerList none{};
    p.init(PICK_FULL_WIDTH, b.get(), none, NO_MOVE);
    p.moveList.add(push);
    scoreMoves<WHITE>(*b, p);
    EXPECT_EQ(p.moveList.value(0), 149);
    // A killer stored two plies ahead counts as well; a promotion never is one.
    b->history[b->historyIndex].killer2 = 0;
    b->history[b->historyIndex + 2].killer1 = push;
    scoreMoves<WHITE>(*b, p);
    EXPECT_EQ(p.moveList.value(0), 149);
}

TEST(MoveOrdering, ValuesAreSignedSixteenBit) {
    MoveList list = emptyList();
    list.add(makeMoveWord(1, 2));
    list.setValue(0, -50);
    EXPECT_EQ(list.value(0), -50);
    EXPECT_EQ(list.move(0), makeMoveWord(1, 2));
    list.add(makeMoveWord(3, 4));
    list.setValue(1, 20);
    EXPECT_GT(list.value(1), list.value(0));
}

TEST(MoveOrdering, LosingCaptureRule) {
    struct Case {
        const char* fen;
        const char* move;
        bool losing;
        int victimValue;
        bool onlySlidersGuard = false;  // losing only where the test sees sliders
    } cases[] = {
        {"4k3/8/2p5/3p4/4P3/8/8/4K3 w - - 0 1", "e4d5", false, 125},  // pawn takes anything
        {"4k3/8/2p5/3p4/8/4N3/8/4K3 w - - 0 1", "e3d5", true, 125},   // knight takes guarded pawn
        {"4k3/8/2p5/3n4/8/4N3/8/4K3 w - - 0 1", "e3d5", false, 400},  // knight takes knight
        {"4k3/1b6/8/3p4/8/8/8/3RK3 w - - 0 1", "d1d5", true, 125, true},  // rook, bishop guard
        {"4k3/1b6/8/3n4/8/8/8/3RK3 w - - 0 1", "d1d5", false, 400},  // rook takes knight, bishop
        {"3rk3/8/8/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", true, 125, true},  // queen, rook guard
        {"3rk3/8/8/3r4/8/8/8/3QK3 w - - 0 1", "d1d5", false, 600},       // queen takes rook, rook
        {"3qk3/8/8/3q4/8/8/8/3QK3 w - - 0 1", "d1d5", false, 1125},      // queen takes queen
        {"4k3/8/2q5/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", false, 125},      // queens do not guard here
        {"4k3/8/2p5/3p4/4K3/8/8/8 w - - 0 1", "e4d5", false,
         125},  // a king never loses (illegal here)
        {"7k/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8q", false, 1000},  // promotion
        // Black's twin: a rook taking a pawn guarded by a White knight.
        {"3rk3/8/8/8/3P4/8/4N3/4K3 b - - 0 1", "d8d4", true, 125},
    };
    for (const Case& c : cases) {
        auto b = boardFromFen(c.fen);
        Move m = 0;
        if (!parseMove(*b, c.move, m))  // the rule is asked of illegal moves too
            m = makeMoveWord(Square((c.move[0] - 'a') + 8 * (c.move[1] - '1')),
                             Square((c.move[2] - 'a') + 8 * (c.move[3] - '1')));
        i32 victim = -1;
        const bool losing = b->sideToMove == WHITE ? isLosingCapture<WHITE>(*b, m, victim)
                                                   : isLosingCapture<BLACK>(*b, m, victim);
        const bool expected =
            c.losing && (Board::LOSING_CAPTURE_SEES_SLIDERS || !c.onlySlidersGuard);
        EXPECT_EQ(losing, expected) << c.fen << " " << c.move;
        EXPECT_EQ(victim, c.victimValue) << c.fen << " " << c.move;
    }
}

TEST(MoveOrdering, KillersAndTacticalMoves) {
    auto b = boardFromFen("4k3/1P6/8/3pP3/2p5/8/8/4K2R w K d6 0 1");
    const Move quiet = moveOf(*b, "h1h5");
    const Move capture = moveOf(*b, "e5d6");  // en passant
    const Move promo = moveOf(*b, "b7b8q");
    const Move under = moveOf(*b, "b7b8n");
    const Move castle = moveOf(*b, "e1g1");
    HistoryRecord& h = b->history[b->historyIndex];
    for (Move m : {capture, promo, under}) storeKiller(*b, m);
    EXPECT_EQ(h.killer1, NO_MOVE);
    EXPECT_EQ(h.killer2, NO_MOVE);
    storeKiller(*b, quiet);
    storeKiller(*b, castle);
    EXPECT_EQ(h.killer1, castle);
    EXPECT_EQ(h.killer2, quiet);
    storeKiller(*b, castle);  // no test for a repeat: both may hold the same move
    EXPECT_EQ(h.killer2, castle);

    EXPECT_TRUE(isTactical(*b, capture));
    EXPECT_TRUE(isTactical(*b, promo));
    EXPECT_FALSE(isTactical(*b, under));
    EXPECT_FALSE(isTactical(*b, quiet));
    EXPECT_FALSE(isTactical(*b, castle));
}

// Random 16-bit words: exactly the legal moves pass the stored-move test
// together with the full legality trial, in many positions.
TEST(StoredMoves, RandomWordsPassOnlyWhenLegal) {
    const char* fens[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        KIWIPETE,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "8/8/3k4/2pP4/8/8/8/4K3 w - c6 0 1",
        "4r1k1/8/8/8/8/8/3P4/4K3 w - - 0 1",
        "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1",
        "4k3/8/8/8/8/5n2/8/R3K2r w Q - 0 1",
    };
    std::srand(12345);
    for (const char* fen : fens) {
        auto b = boardFromFen(fen);
        const std::vector<Move> legal = moveWords(legalList(*b));
        for (Move m : legal) EXPECT_TRUE(isMovePseudoLegal(*b, m)) << fen << " " << moveText(m);
        const CheckInfo info = checkInfoOf(*b);
        int accepted = 0;
        auto check = [&](Move m) {
            if (!isMovePseudoLegal(*b, m)) return;
            const bool white = b->sideToMove == WHITE;
            const bool full = white ? b->isLegalMoveFull<WHITE>(m) : b->isLegalMoveFull<BLACK>(m);
            const bool quick =
                white ? b->isLegalMove<WHITE>(m, info) : b->isLegalMove<BLACK>(m, info);
            EXPECT_EQ(quick, full) << fen << " " << m;
            const bool listed = std::find(legal.begin(), legal.end(), m) != legal.end();
            EXPECT_EQ(full, listed) << fen << " word " << m << " " << moveText(m);
            accepted += full;
        };
        for (int i = 0; i < 20000; ++i) check(Move(std::rand() & 0xFFFF));
        // Near misses: every legal move with each other kind and flag value.
        for (Move m : legal)
            for (u32 bits = 0; bits < 16; ++bits) check(Move((m & 0x0FFF) | (bits << 12)));
        EXPECT_GE(accepted, 1) << fen;
    }
}

}  // namespace
