#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "board/move_picker.h"
#include "boardbb/board_bb64.h"
#include "epd_reader.h"

namespace {

const char* const START = START_FEN;
const char* const KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

class Fen : public ::testing::Test {
   protected:
    void SetUp() override {
        board = std::make_unique<Board_BB64>();
        board->resetBoard();
    }
    std::string fen() const {
        char buffer[90];
        board->getFEN(buffer);
        return buffer;
    }
    bool accepts(const char* text) {
        Board_BB64 scratch;
        return scratch.setFEN(text);
    }
    std::unique_ptr<Board_BB64> board;
};

TEST_F(Fen, ResetBoardIsEmpty) {
    EXPECT_EQ(board->sideToMove, NO_COLOR);
    EXPECT_EQ(board->epSquare, NO_SQUARE);
    EXPECT_EQ(board->historyIndex, 0u);
    EXPECT_EQ(board->history[0].key, 0u);
    EXPECT_EQ(board->history[0].pawnKey, 0u);
    EXPECT_EQ(board->occupied(), 0u);
    for (int sq = 0; sq < 64; ++sq) {
        EXPECT_EQ(board->pieceKinds[sq], EMPTY);
        EXPECT_EQ(board->pieceColors[sq], NO_COLOR);
    }
}

TEST_F(Fen, StartPosition) {
    ASSERT_TRUE(board->setFEN(START));
    EXPECT_EQ(board->castlingRights, 15);
    EXPECT_EQ(board->epSquare, NO_SQUARE);
    EXPECT_EQ(board->halfMoveClock, 0);
    EXPECT_EQ(board->sideToMove, WHITE);
    EXPECT_EQ(board->historyIndex, 0u);
    EXPECT_EQ(fen(), START);
    const HashKey expected = board->computeSideHashKey(WHITE) ^ board->computeSideHashKey(BLACK) ^
                             castlingKeys[1] ^ castlingKeys[2] ^ castlingKeys[4] ^ castlingKeys[8];
    EXPECT_EQ(board->current().key, expected);
    EXPECT_EQ(board->perftKeys[board->perftKeyCount], expected);
    EXPECT_EQ(board->current().pawnKey, board->computePawnHashKey());
    EXPECT_TRUE(board->isConsistent());
    EXPECT_EQ(popCount(board->pieces(PAWN, WHITE)), 8);
    EXPECT_EQ(board->kingSquare(BLACK), 60);
}

TEST_F(Fen, PieceIterator) {
    ASSERT_TRUE(board->setFEN("4k3/8/8/8/8/8/8/4K2R w K - 0 1"));
    PieceIterator it = PieceIterator::start<BLACK>(board.get(), KING, PAWN);
    EXPECT_EQ(it.first<BLACK>(), 60u);
    it.next<BLACK>();
    EXPECT_EQ(it.square, NO_SQUARE);
    it.next<BLACK>();  // stays at the end
    EXPECT_EQ(it.square, NO_SQUARE);
    PieceIterator none = PieceIterator::start<BLACK>(board.get(), QUEEN, PAWN);
    EXPECT_EQ(none.first<BLACK>(), PieceIterator::NONE);
    // Kind by kind from the start kind down, squares upwards within a kind.
    ASSERT_TRUE(board->setFEN(KIWIPETE));
    PieceIterator w = PieceIterator::start<WHITE>(board.get(), QUEEN, BISHOP);
    std::vector<int> seen;
    for (u32 sq = w.first<WHITE>(); sq != PieceIterator::NONE && w.square != NO_SQUARE;
         w.next<WHITE>())
        seen.push_back(w.square);
    EXPECT_EQ(seen, (std::vector<int>{21, 0, 7, 11, 12}));  // Qf3, Ra1, Rh1, Bd2, Be2
}

TEST_F(Fen, FieldCountsAndMoveNumbers) {
    EXPECT_TRUE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0"));
    ASSERT_TRUE(board->setFEN("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 7"));
    EXPECT_EQ(board->halfMoveClock, 0);
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 12345 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - -1 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 0"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 -3"));
    // A half-move count beyond the 8-bit clock saturates instead of wrapping.
    ASSERT_TRUE(board->setFEN("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 300 1"));
    EXPECT_EQ(board->halfMoveClock, 255);
    ASSERT_TRUE(board->setFEN("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 99 60"));
    EXPECT_EQ(board->halfMoveClock, 99);
    // Numbers that overflow are refused, not undefined.
    EXPECT_FALSE(
        accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 99999999999999999999"));
    EXPECT_FALSE(
        accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 99999999999999999999"));
    EXPECT_TRUE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 2147483647"));
    // Trailing words after the full-move number are ignored.
    EXPECT_TRUE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 bm e2e4; id x"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -x"));
}

TEST_F(Fen, PlacementSideAndCastlingSyntax) {
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNRR w KQkq - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/8 w KQkq - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/45/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_TRUE(accepts("rnbqkbnr/pppppppp/44/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/0/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN. w KQkq - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"));
    EXPECT_FALSE(accepts(""));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w QK - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KK - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w K- - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w -K - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq"));
    // An empty castling field (a second blank) gives no rights.
    ASSERT_TRUE(board->setFEN("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b  - 0 1"));
    EXPECT_EQ(board->castlingRights, 0);
    EXPECT_EQ(board->sideToMove, BLACK);
    EXPECT_TRUE(board->isConsistent());
}

TEST_F(Fen, EnPassantField) {
    // Wrong rank for the side to move, or no pawn that could have double-stepped.
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e3 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e6 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq i6 0 1"));
    // The passed square and the start square must be empty too.
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/4p3/8/8/PPPPPPPP/RNBQKBNR w KQkq e6 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppp1ppp/4n3/3Pp3/8/8/PPP1PPPP/RNBQKBNR w KQkq e6 0 1"));
    // Accepted but not kept: no White pawn beside e5.
    ASSERT_TRUE(board->setFEN("rnbqkbnr/pppp1ppp/8/4p3/8/8/PPPPPPPP/RNBQKBNR w KQkq e6 0 2"));
    EXPECT_EQ(board->epSquare, NO_SQUARE);
    EXPECT_EQ(board->current().key, board->computeFullKey());
    // Kept: a White pawn on d5 can take.
    ASSERT_TRUE(board->setFEN("rnbqkbnr/pppp1ppp/8/3Pp3/8/8/PPP1PPPP/RNBQKBNR w KQkq e6 0 3"));
    EXPECT_EQ(board->epSquare, 44);
    EXPECT_EQ(fen(), "rnbqkbnr/pppp1ppp/8/3Pp3/8/8/PPP1PPPP/RNBQKBNR w KQkq e6 0 1");
    EXPECT_TRUE(board->isConsistent());
    ASSERT_TRUE(board->setFEN("rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"));
    EXPECT_EQ(board->epSquare, 20);
    EXPECT_TRUE(board->isConsistent());
}

// Positions the board cannot hold are refused; castling letters whose king
// or rook is not at home are dropped.
TEST_F(Fen, UnsafePositions) {
    EXPECT_FALSE(accepts("rnbq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_FALSE(accepts("rnbkkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_FALSE(accepts("pnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNP w KQkq - 0 1"));
    EXPECT_FALSE(accepts("rnbqkbnr/ppppNNpp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));  // 18 White
    EXPECT_FALSE(accepts("4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1"));                     // 9 pawns
    EXPECT_TRUE(accepts("4k3/8/8/8/8/8/8/4K2R w - - 0 1"));
    EXPECT_FALSE(accepts("4k3/8/8/8/8/8/8/4R1K1 w - - 0 1"));  // Black, not to move, in check
    EXPECT_TRUE(accepts("4k3/8/8/8/8/8/8/4R1K1 b - - 0 1"));
    EXPECT_TRUE(accepts("rnbqkbnr/nnnnnnnn/8/8/8/8/NNNNNNNN/RNBQKBNR w KQkq - 0 1"));
    // Men beyond their kind's slots need free pawn slots, as on the 0x88 board.
    EXPECT_FALSE(accepts("4k3/8/8/8/8/N7/PPPPPPPP/1N4NK w - - 0 1"));  // third knight
    EXPECT_TRUE(accepts("4k3/8/8/8/8/N7/PPPPPPP1/1N4NK w - - 0 1"));
    EXPECT_FALSE(accepts("4k3/8/8/8/8/BBB5/PPPPPP2/QQQ1K3 w - - 0 1"));

    ASSERT_TRUE(board->setFEN("nrbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_EQ(board->castlingRights, 7);
    EXPECT_EQ(board->current().key, board->computeFullKey());
    ASSERT_TRUE(board->setFEN("krr5/8/8/8/8/8/8/4K3 w kq - 0 1"));
    EXPECT_EQ(board->castlingRights, 0);
    ASSERT_TRUE(board->setFEN("4k3/8/8/8/8/8/8/R3K3 w KQ - 0 1"));
    EXPECT_EQ(board->castlingRights, 2);
}

TEST_F(Fen, RefusalKeepsThePreviousPosition) {
    ASSERT_TRUE(board->setFEN(KIWIPETE));
    const std::string before = fen();
    const HashKey key = board->current().key;
    for (const char* bad :
         {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 0",
          "8/8/8/8/8/8/8/8 w - - 0 1", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQQ - 0 1",
          "hello have a nice day w - -0 1"}) {
        EXPECT_FALSE(board->setFEN(bad)) << bad;
        EXPECT_EQ(fen(), before);
        EXPECT_EQ(board->current().key, key);
        EXPECT_TRUE(board->isConsistent());
    }
}

TEST_F(Fen, RoundTripsOverThePerftSuite) {
    const auto lines = readEpdFile(testDataPath("epd/perftsuite.epd"));
    ASSERT_GE(lines.size(), 100u);
    for (const EpdLine& line : lines) {
        ASSERT_TRUE(board->setFEN(line.fen.c_str())) << line.fen;
        EXPECT_EQ(fen(), line.fen);
        EXPECT_TRUE(board->isConsistent()) << line.fen;
    }
}

// Each line, whole or cut at its first ';', is either accepted into a
// consistent position or refused with the previous position left intact.
TEST_F(Fen, DestructionTestLines) {
    const auto lines = readEpdFile(testDataPath("epd/destruction-test.epd"));
    ASSERT_GE(lines.size(), 100u);
    int accepted = 0;
    for (const EpdLine& line : lines) {
        for (const std::string& text : {line.raw, line.raw.substr(0, line.raw.find(';'))}) {
            ASSERT_TRUE(board->setFEN(START));
            if (board->setFEN(text.c_str())) {
                ++accepted;
                EXPECT_TRUE(board->isConsistent()) << text;
                Board_BB64 copy;
                EXPECT_TRUE(copy.setFEN(fen().c_str())) << text;
                EXPECT_EQ(copy.current().key, board->current().key) << text;
            } else {
                EXPECT_EQ(fen(), START) << text;
                EXPECT_TRUE(board->isConsistent());
            }
        }
    }
    EXPECT_GT(accepted, 20);
}

TEST(MoveText, WritingAndComparing) {
    char text[6];
    moveToString(CASTLE_WHITE_KING_SIDE, text);
    EXPECT_STREQ(text, "e1g1");
    moveToString(CASTLE_BLACK_QUEEN_SIDE, text);
    EXPECT_STREQ(text, "e8c8");
    moveToString(makePromotion(49, 56, KNIGHT), text);
    EXPECT_STREQ(text, "b7a8n");
    moveToString(makePromotion(52, 60, QUEEN), text);
    EXPECT_STREQ(text, "e7e8q");
    moveToString(makeMoveWord(36, 43, MOVE_EN_PASSANT), text);
    EXPECT_STREQ(text, "e5d6");
    moveToString(makeMoveWord(12, 28, MOVE_NORMAL, 1), text);
    EXPECT_STREQ(text, "e2e4");

    EXPECT_FALSE(isSameMove(makePromotion(52, 60, QUEEN), makePromotion(52, 60, KNIGHT)));
    EXPECT_TRUE(isSameMove(makePromotion(52, 60, ROOK), makePromotion(52, 60, ROOK)));
    EXPECT_FALSE(isSameMove(makePromotion(52, 60, QUEEN), makeMoveWord(52, 60)));
    EXPECT_TRUE(isSameMove(CASTLE_WHITE_KING_SIDE, makeMoveWord(4, 6)));
    EXPECT_TRUE(isSameMove(makeMoveWord(36, 43, MOVE_EN_PASSANT), makeMoveWord(36, 43)));
    EXPECT_TRUE(isSameMove(makeMoveWord(12, 28, MOVE_NORMAL, 1), makeMoveWord(12, 28)));
    EXPECT_FALSE(isSameMove(makeMoveWord(12, 28), makeMoveWord(12, 20)));
}

TEST_F(Fen, HashCollisionLine) {
    ASSERT_TRUE(board->setFEN(START));
    testing::internal::CaptureStdout();
    printHashCollision(*board, makeMoveWord(12, 28, MOVE_NORMAL, 1));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              std::string("# hash collision:  e2e4 ") + START + "\n");
}

}  // namespace
