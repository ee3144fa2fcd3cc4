// The 0x88 board's state: slot allocation and the positions the lists cannot
// hold, the piece iterator, keys from scratch, pawn files and the draw test.
#include "board/tb_probe_input.h"
#include "x88_test_util.h"

namespace {

std::vector<std::string> listSquares(const Board_0x88& b, Color c) {
    std::vector<std::string> out;
    for (u8 sq : b.pieceLists[c]) {
        if (sq == x88::EMPTY_SLOT) {
            out.push_back("-");
            continue;
        }
        out.push_back({char('a' + (sq & 7)), char('1' + (sq >> 4))});
    }
    return out;
}

bool accepts(const char* fen) {
    Board_0x88 b;
    b.resetBoard();
    return b.setFEN(fen);
}

}  // namespace

TEST(Slots0x88, StartPositionFillsTheListsInFenOrder) {
    auto b = board0x88("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(listSquares(*b, WHITE),
              (std::vector<std::string>{"e1", "d1", "a1", "h1", "c1", "f1", "b1", "g1", "a2", "b2",
                                        "c2", "d2", "e2", "f2", "g2", "h2"}));
    EXPECT_EQ(listSquares(*b, BLACK),
              (std::vector<std::string>{"e8", "d8", "a8", "h8", "c8", "f8", "b8", "g8", "a7", "b7",
                                        "c7", "d7", "e7", "f7", "g7", "h7"}));
    EXPECT_EQ(b->pieceCounts[WHITE][7], 16);
    EXPECT_EQ(b->pieceCounts[BLACK][PAWN], 8);
}

TEST(Slots0x88, ExtraMenTakeFreePawnSlotsInPlacementOrder) {
    // A third knight before the seven pawns (FEN order) takes slot 8, after them slot 15.
    auto before = board0x88("4k3/8/8/8/8/NNN5/PPPPPPP1/7K w - - 0 1");
    EXPECT_EQ(before->pieceSlots[0x22], 8);
    EXPECT_EQ(before->pieceLists[WHITE][15], 0x16);
    auto after = board0x88("4k3/8/8/8/8/8/PPPPPPP1/NN4NK w - - 0 1");
    EXPECT_EQ(after->pieceSlots[0x06], 15);
    EXPECT_EQ(after->pieceCounts[WHITE][KNIGHT], 3);
    // Nine queens fit (slot 1 and the eight pawn slots).
    auto queens = board0x88("QQQQQQQQ/Q7/8/8/8/8/8/k6K b - - 0 1");
    EXPECT_EQ(queens->pieceCounts[WHITE][QUEEN], 9);
    EXPECT_TRUE(queens->isConsistent());
}

TEST(Slots0x88, PositionsTheListsCannotHoldAreRefusedAndLeaveTheBoardAlone) {
    auto b = board0x88("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    const Snapshot0x88 before(*b);
    for (const char* fen : {
             "4k3/8/8/8/8/N7/PPPPPPPP/1N4NK w - - 0 1",  // third knight, eight pawns
             "QQQQQQQQ/QQ6/8/8/8/8/8/k6K b - - 0 1",     // ten queens
             "4k3/8/8/8/8/8/PPPPPPPP/RRRK4 w - - 0 1",   // third rook, eight pawns
             "4k3/8/8/8/8/8/8/4KK2 w - - 0 1",           // second king
             "8/8/8/8/8/8/8/4K3 w - - 0 1",              // no black king
             "4k3/pppppppp/p7/8/8/8/8/4K3 w - - 0 1",    // ninth pawn
         }) {
        EXPECT_FALSE(b->setFEN(fen)) << fen;
        EXPECT_TRUE(Snapshot0x88(*b) == before) << fen;
    }
    // Bishops of both colours and queens beyond their slots that still fit.
    EXPECT_TRUE(accepts("4k3/8/8/8/8/BBB5/PPPPPP2/QQ2K3 w - - 0 1"));
    EXPECT_FALSE(accepts("4k3/8/8/8/8/BBB5/PPPPPP2/QQQ1K3 w - - 0 1"));
}

TEST(Fen0x88, FieldsAndRefusalsAsOnTheBitboardBoard) {
    // En passant: kept only with a capturing pawn beside; refused without the pawn in front.
    auto ep = board0x88("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    EXPECT_EQ(ep->epSquare, 0x53);
    EXPECT_EQ(board0x88("4k3/8/8/3p4/8/8/8/4K3 w - d6 0 1")->epSquare, x88::NO_EP);
    EXPECT_FALSE(accepts("4k3/8/8/8/8/8/8/4K3 w - d6 0 1"));
    // Rights without king and rook at home are dropped.
    EXPECT_EQ(board0x88("r3k3/8/8/8/8/8/8/4K2R w KQkq - 0 1")->castlingRights,
              WHITE_KING_SIDE | BLACK_QUEEN_SIDE);
    // Side not to move in check, pawns on the last ranks, bad fields.
    EXPECT_FALSE(accepts("4k3/8/8/8/8/8/8/4K2r b - - 0 1"));
    EXPECT_FALSE(accepts("4k2P/8/8/8/8/8/8/4K3 w - - 0 1"));
    EXPECT_FALSE(accepts(" 4k3/8/8/8/8/8/8/4K3 w - - 0 1"));
    EXPECT_FALSE(accepts("4k3/8/8/8/8/8/8/4K3 w - - 12345 1"));
    EXPECT_FALSE(accepts("4k3/8/8/8/8/8/8/4K3 w - - 0 0"));
    // No move numbers: accepted; the perft key is written in either case.
    auto bare = board0x88("4k3/8/8/8/8/8/8/4K3 b - -");
    EXPECT_EQ(bare->perftKeys[bare->perftKeyCount], bare->current().key);
    EXPECT_EQ(board0x88("4k3/8/8/8/8/8/8/4K3 w - - 300 9")->halfMoveClock, 255);
}

TEST(Iterator0x88, WalksSlotGroupsAndEndsWithNone) {
    auto b = board0x88("4k3/8/8/8/8/8/3P4/Q3K2N w - - 0 1");
    PieceIterator0x88 it = b->iterator(WHITE);
    std::vector<std::pair<u32, i32>> seen;
    for (u32 sq = it.first(); sq != PieceIterator0x88::NONE; sq = it.next())
        seen.push_back({sq, it.kind});
    EXPECT_EQ(seen,
              (std::vector<std::pair<u32, i32>>{{4, KING}, {0, QUEEN}, {7, KNIGHT}, {0x13, PAWN}}));
    PieceIterator0x88 pawns = b->iterator(WHITE, 8, 15);
    EXPECT_EQ(pawns.first(), 0x13u);
    EXPECT_EQ(pawns.next(), PieceIterator0x88::NONE);
    PieceIterator0x88 bishops = b->iterator(BLACK, 4, 5);
    EXPECT_EQ(bishops.first(), PieceIterator0x88::NONE);
}

TEST(Keys0x88, PromotedManCountsForTheSideKeyNotThePawnKey) {
    auto b = board0x88("1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    UndoRecord undo{};
    b->makeMove<WHITE>(find0x88(*b, "a7b8q"), undo);
    EXPECT_EQ(b->pieceSlots[0x71], 8);  // the queen stays in the pawn's slot
    EXPECT_EQ(b->computePawnHashKey(), 0u);
    EXPECT_EQ(b->computeSideHashKey(WHITE),
              pieceKeys[WHITE][KING - 1][4] ^ pieceKeys[WHITE][QUEEN - 1][57]);
    EXPECT_TRUE(b->isConsistent());
}

TEST(PawnFiles0x88, CountsFilesAndMasksSquaresOfPawnsOnly) {
    auto b = board0x88("4k3/1p6/8/8/8/2P5/2P5/Q3K3 w - - 0 1");
    u8 files[8] = {};
    Bitboard mask = 0;
    b->scanPawnFiles<WHITE>(files, mask);
    EXPECT_EQ(files[2], 2);
    EXPECT_EQ(mask, squareBit(10) | squareBit(18));
    b->scanPawnFiles<BLACK>(files, mask);  // adds, does not clear
    EXPECT_EQ(files[1], 1);
    EXPECT_EQ(mask, squareBit(10) | squareBit(18) | squareBit(49));
}

TEST(Draw0x88, MaterialFiftyMovesAndRepetition) {
    u32 reason = 0;
    EXPECT_TRUE(board0x88("4k3/8/8/8/8/8/8/2b1K3 w - - 0 1")->isDraw(reason));
    EXPECT_EQ(reason, DRAW_INSUFFICIENT_MATERIAL);
    EXPECT_TRUE(board0x88("4k3/8/8/8/8/8/8/2B1K3 b - - 0 1")->isDraw(reason));
    EXPECT_FALSE(board0x88("4k3/8/8/8/8/8/8/1NN1K3 w - - 0 1")->isDraw(reason));
    EXPECT_FALSE(board0x88("4k3/8/8/8/8/8/8/1N1bK3 w - - 0 1")->isDraw(reason));
    EXPECT_TRUE(board0x88("4k3/8/8/8/8/8/8/R3K3 w - - 100 80")->isDraw(reason));
    EXPECT_EQ(reason, DRAW_FIFTY_MOVES);

    auto b = board0x88("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    std::vector<UndoRecord> undo(12);
    const char* shuffle[] = {"a1a2", "e8d8", "a2a1", "d8e8"};
    for (int i = 0; i < 8; ++i) {
        b->makeMove(find0x88(*b, shuffle[i % 4]), undo[i]);
        const bool draw = b->isDraw(reason);
        EXPECT_EQ(draw, i >= 3) << i;
        EXPECT_EQ(reason, i >= 7 ? DRAW_REPETITION : DRAW_NONE) << i;
    }
}

TEST(Tablebase0x88, ProbeInputListsMenInSlotOrder) {
    TbProbeInput in;
    buildTablebaseProbe<WHITE>(*board0x88("4k3/8/8/8/8/8/8/3QK3 w - - 0 1"), in);
    EXPECT_EQ(std::vector<u32>(in.whiteSquares, in.whiteSquares + 3), (std::vector<u32>{4, 3, 64}));
    EXPECT_EQ(std::vector<u8>(in.whitePieces, in.whitePieces + 3), (std::vector<u8>{6, 5, 0}));
    EXPECT_EQ(std::vector<u32>(in.blackSquares, in.blackSquares + 2), (std::vector<u32>{60, 64}));
    EXPECT_EQ(in.side, 0);
    EXPECT_EQ(in.epSquare, 64);
    EXPECT_EQ(in.castling, 0);
    // A promoted queen stands among the pawn slots, after the knights.
    auto b = board0x88("1r2k3/P7/8/8/8/8/8/Q3K1N1 w - - 0 1");
    UndoRecord undo{};
    b->makeMove<WHITE>(find0x88(*b, "a7b8q"), undo);
    buildTablebaseProbe<BLACK>(*b, in);
    EXPECT_EQ(std::vector<u8>(in.whitePieces, in.whitePieces + 5),
              (std::vector<u8>{6, 5, 2, 5, 0}));
    EXPECT_EQ(in.whiteSquares[3], 57u);
    EXPECT_EQ(in.side, 1);
    auto ep = board0x88("4k3/8/8/8/3pP3/8/8/R3K3 b Q e3 0 1");
    buildTablebaseProbe<BLACK>(*ep, in);
    EXPECT_EQ(in.epSquare, 20);
    EXPECT_EQ(in.castling, 4);
}
