#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "board_test_util.h"
#include "boardbb/board_bb64.h"

namespace {

const char* const START = START_FEN;
const char* const KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

class Make : public ::testing::Test {
   protected:
    void SetUp() override { b = std::make_unique<Board_BB64>(); }
    void set(const char* fen) { ASSERT_TRUE(b->setFEN(fen)) << fen; }
    Move mv(const std::string& text) const { return moveFromText(*b, text); }
    Move play(const std::string& text, UndoRecord& undo) {
        const Move m = mv(text);
        b->makeMove(m, undo);
        return m;
    }
    // Full make then unmake, checking the recount after the make and the bytes after the unmake.
    void roundTrip(const std::string& text) {
        const Move m = mv(text);
        const BoardBytes before(*b);
        const u32 index = b->historyIndex;
        UndoRecord undo;
        b->makeMove(m, undo);
        EXPECT_TRUE(b->isConsistent()) << text;
        EXPECT_EQ(b->current().key, b->computeFullKey()) << text;
        EXPECT_EQ(b->current().pawnKey, b->computePawnHashKey()) << text;
        for (Color c : {WHITE, BLACK}) {
            EXPECT_EQ(b->pstSums[c].mg, recountPst(*b, c).mg) << text;
            EXPECT_EQ(b->pstSums[c].eg, recountPst(*b, c).eg) << text;
        }
        b->unmakeMove(m, undo);
        EXPECT_TRUE(before.sameAs(*b, index + 1)) << text;

        // The perft flavour: key on the perft stack, nothing else left changed.
        b->perftKeys[b->perftKeyCount] = b->current().key;  // as perft starts
        const BoardBytes beforePerft(*b);
        UndoRecord perftUndo;
        if (b->sideToMove == WHITE)
            b->makeMovePerft<WHITE>(m, perftUndo);
        else
            b->makeMovePerft<BLACK>(m, perftUndo);
        EXPECT_EQ(b->perftKeys[b->perftKeyCount], b->computeFullKey()) << text;
        if (b->sideToMove == BLACK)
            b->unmakeMovePerft<WHITE>(m, perftUndo);
        else
            b->unmakeMovePerft<BLACK>(m, perftUndo);
        EXPECT_TRUE(beforePerft.sameAs(*b)) << text;
        // The bare flavour: the same men as the full make, and back byte for byte.
        Board_BB64 full;
        std::memcpy(static_cast<void*>(&full), static_cast<const void*>(b.get()), sizeof full);
        UndoRecord fullUndo;
        full.makeMove(m, fullUndo);
        UndoRecord bareUndo = clearedUndo();
        const BoardBytes beforeBare(*b);
        if (b->sideToMove == WHITE)
            b->makeMoveBare<WHITE>(m, bareUndo);
        else
            b->makeMoveBare<BLACK>(m, bareUndo);
        EXPECT_EQ(std::memcmp(b->bitboards, full.bitboards, sizeof full.bitboards), 0) << text;
        EXPECT_EQ(std::memcmp(b->pieceKinds, full.pieceKinds, 64), 0) << text;
        EXPECT_EQ(std::memcmp(b->pieceColors, full.pieceColors, 64), 0) << text;
        EXPECT_EQ(b->sideToMove, full.sideToMove);
        if (b->sideToMove == BLACK)
            b->unmakeMoveBare<WHITE>(m, bareUndo);
        else
            b->unmakeMoveBare<BLACK>(m, bareUndo);
        EXPECT_TRUE(beforeBare.sameAs(*b)) << text;
    }
    std::unique_ptr<Board_BB64> b;
};

TEST_F(Make, QuietDoubleStepWithoutNeighbour) {
    set(START);
    const HashKey key = b->current().key, pawnKey = b->current().pawnKey;
    UndoRecord undo;
    play("e2e4", undo);
    EXPECT_EQ(b->epSquare, NO_SQUARE);
    EXPECT_EQ(b->halfMoveClock, 0);
    EXPECT_EQ(b->sideToMove, BLACK);
    EXPECT_EQ(b->historyIndex, 1u);
    const HashKey pawnChange = pieceKeys[WHITE][PAWN - 1][12] ^ pieceKeys[WHITE][PAWN - 1][28];
    EXPECT_EQ(b->current().key, key ^ pawnChange ^ sideKey);
    EXPECT_EQ(b->current().pawnKey, pawnKey ^ pawnChange);
    EXPECT_EQ(b->history[0].key, key);  // the earlier record keeps its key
    EXPECT_EQ(b->current().repetitionCount, 0);
    UndoRecord undo2;
    play("e7e5", undo2);
    char fen[90];
    b->getFEN(fen);
    EXPECT_STREQ(fen, "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2");
}

TEST_F(Make, DoubleStepBesideEnemyPawnSetsEnPassant) {
    set("rnbqkbnr/ppp1pppp/8/8/3p4/8/PPPPPPPP/RNBQKBNR w KQkq - 0 3");
    UndoRecord u1, u2;
    const HashKey key = b->current().key;
    play("e2e4", u1);
    EXPECT_EQ(b->epSquare, 20);  // e3
    EXPECT_EQ(b->current().key, b->computeFullKey());
    EXPECT_EQ(b->current().key,
              key ^ sideKey ^ epFileKeys[4] ^ pieceKeys[WHITE][0][12] ^ pieceKeys[WHITE][0][28]);
    const Move knight = play("g8f6", u2);  // any move removes it
    EXPECT_EQ(b->epSquare, NO_SQUARE);
    EXPECT_EQ(b->current().key, b->computeFullKey());
    b->unmakeMove(knight, u2);
    EXPECT_EQ(b->epSquare, 20);
    roundTrip("d4e3");  // the en-passant capture itself
}

TEST_F(Make, CastlingRightsFollowKingsAndRooks) {
    set("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 5 1");
    UndoRecord u;
    const Move capture = play("h1h8", u);  // capturing the rook on h8 clears Black's king side too
    EXPECT_EQ(b->castlingRights, WHITE_QUEEN_SIDE | BLACK_QUEEN_SIDE);
    EXPECT_EQ(b->halfMoveClock, 0);
    EXPECT_EQ(b->current().key, b->computeFullKey());
    b->unmakeMove(capture, u);
    EXPECT_EQ(b->castlingRights, 15);
    EXPECT_EQ(b->halfMoveClock, 5);
    const Move castling = play("e1g1", u);  // castling adds one to the clock
    EXPECT_EQ(b->halfMoveClock, 6);
    EXPECT_EQ(b->castlingRights, BLACK_KING_SIDE | BLACK_QUEEN_SIDE);
    EXPECT_EQ(b->pieceKinds[5], ROOK);
    EXPECT_EQ(b->pieceKinds[6], KING);
    EXPECT_EQ(b->current().key, b->computeFullKey());
    b->unmakeMove(castling, u);
    for (const char* m : {"e1g1", "e1c1", "a1a8", "e1e2", "a1b1", "h1g1"}) roundTrip(m);
    set("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 5 1");
    for (const char* m : {"e8g8", "e8c8", "h8h1", "e8d8", "a8a1"}) roundTrip(m);
}

TEST_F(Make, PromotionWithCaptureOnA8) {
    set("r3k3/1P6/8/8/8/8/8/4K3 w q - 0 1");
    const ScorePair before = b->pstSums[WHITE];
    UndoRecord u;
    const Move promotion = play("b7a8q", u);
    EXPECT_EQ(b->castlingRights, 0);
    EXPECT_EQ(b->pieceKinds[56], QUEEN);
    EXPECT_EQ(b->current().pawnKey, 0u);
    EXPECT_EQ(u.capturedKind, u32(ROOK));
    EXPECT_EQ(b->pstSums[WHITE].mg, i16(before.mg - pieceSquareTable[WHITE][0][49].mg +
                                        pieceSquareTable[WHITE][4][56].mg));
    EXPECT_EQ(b->current().key, b->computeFullKey());
    b->unmakeMove(promotion, u);
    for (const char* m : {"b7a8q", "b7a8n", "b7b8r", "b7b8b", "e1d2"}) roundTrip(m);
}

TEST_F(Make, EveryKindRoundTripsInRichPositions) {
    set(KIWIPETE);
    for (const char* m :
         {"e2a6", "d5e6", "e5f7", "g2h3", "e1g1", "e1c1", "a2a4", "f3f6", "d2g5", "b2b3"})
        roundTrip(m);
    set("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1");
    for (const char* m : {"c4c5", "d2d4", "f1f2", "g1h1", "b4c5", "a7b8q", "a7a8n"}) roundTrip(m);
    set("r3k2r/8/8/8/8/8/1p6/R3K2R b KQkq - 0 1");
    for (const char* m : {"b2a1q", "b2a1n", "b2b1r", "b2b1b", "e8g8", "e8c8", "h8h1"}) roundTrip(m);
    set("r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1");
    for (const char* m : {"c5c4", "d7d5", "f8f7", "g8h8", "b5c4", "a2b1q", "a2b1n", "g7g5"})
        roundTrip(m);
    set("8/8/3p4/KPp4r/1R3p1k/8/4P1P1/8 w - c6 0 1");
    for (const char* m : {"b5c6", "e2e4", "g2g4", "b4f4", "a5a4"}) roundTrip(m);
}

TEST_F(Make, HalfMoveClockSaturates) {
    set("4k3/8/8/8/8/8/8/4K2R w - - 255 90");
    UndoRecord u;
    b->unmakeMove(play("h1h2", u), u);
    EXPECT_EQ(b->halfMoveClock, 255);
    play("h1h2", u);
    EXPECT_EQ(b->halfMoveClock, 255);
    set("4k3/8/8/8/8/8/8/4K2R w - - 254 90");
    play("h1h2", u);
    EXPECT_EQ(b->halfMoveClock, 255);
}

TEST_F(Make, NullMove) {
    set("rnbqkbnr/pppp1ppp/8/3Pp3/8/8/PPP1PPPP/RNBQKBNR w KQkq e6 4 3");
    b->current().move = 1234;
    const BoardBytes before(*b);
    UndoRecord u;
    b->makeNullMove(u);
    EXPECT_EQ(b->history[0].move, NO_MOVE);
    EXPECT_EQ(b->halfMoveClock, 0);
    EXPECT_EQ(b->epSquare, NO_SQUARE);
    EXPECT_EQ(b->sideToMove, BLACK);
    EXPECT_EQ(b->historyIndex, 1u);
    EXPECT_EQ(b->current().key, b->computeFullKey());
    EXPECT_EQ(b->current().pawnKey, b->history[0].pawnKey);
    b->unmakeNullMove(u);
    b->current().move = 1234;
    EXPECT_TRUE(before.sameAs(*b, 1));
}

}  // namespace
