// Opening book: Polyglot keys, move conversion, weighted choice and file handling.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "book/book.h"
#include "search/game_moves.h"

namespace {

// A position as the book sees it, set from the first four FEN fields.
struct TestPosition {
    u8 kinds[64] = {};
    u8 colors[64];
    BookPosition pos{};

    explicit TestPosition(const char* fen) {
        std::memset(colors, NO_COLOR, sizeof colors);
        const char* p = fen;
        int rank = 7, file = 0;
        for (; *p != ' '; ++p) {
            if (*p == '/') {
                --rank;
                file = 0;
            } else if (*p >= '1' && *p <= '8') {
                file += *p - '0';
            } else {
                const char* at = std::strchr(PIECE_LETTERS, *p | 0x20);
                int sq = makeSquare(file++, rank);
                kinds[sq] = u8(at - PIECE_LETTERS);
                colors[sq] = (*p >= 'a') ? BLACK : WHITE;
            }
        }
        std::memcpy(pos.kinds, kinds, sizeof kinds);
        std::memcpy(pos.colors, colors, sizeof colors);
        pos.sideToMove = p[1] == 'w' ? WHITE : BLACK;
        p += 3;
        for (; *p != ' '; ++p) {
            const char* rights = "KQkq";
            if (const char* at = std::strchr(rights, *p))
                pos.castlingRights |= u8(1 << (at - rights));
        }
        ++p;
        pos.epSquare = *p == '-' ? NO_SQUARE : makeSquare(p[0] - 'a', p[1] - '1');
    }
};

u16 bookMove(const char* text, int promotion = 0) {
    int fromFile = text[0] - 'a', fromRank = text[1] - '1';
    int toFile = text[2] - 'a', toRank = text[3] - '1';
    return u16(toFile | (toRank << 3) | (fromFile << 6) | (fromRank << 9) | (promotion << 12));
}

// Writes a book file of the given entries (and optional trailing bytes).
class BookFile {
   public:
    explicit BookFile(const std::vector<BookEntry>& entries, int extraBytes = 0) {
        char name[] = "/tmp/talun_book_XXXXXX";
        int fd = mkstemp(name);
        path = name;
        FILE* f = fdopen(fd, "wb");
        for (const BookEntry& e : entries) {
            unsigned char bytes[16];
            for (int i = 0; i < 8; ++i) bytes[i] = u8(e.key >> (56 - 8 * i));
            bytes[8] = u8(e.move >> 8), bytes[9] = u8(e.move);
            bytes[10] = u8(e.weight >> 8), bytes[11] = u8(e.weight);
            for (int i = 0; i < 4; ++i) bytes[12 + i] = u8(e.learn >> (24 - 8 * i));
            std::fwrite(bytes, 1, 16, f);
        }
        for (int i = 0; i < extraBytes; ++i) std::fputc(0xAB, f);
        std::fclose(f);
    }
    ~BookFile() { std::remove(path.c_str()); }
    std::string path;
};

constexpr const char* START = START_FEN;

std::string moveText(Move m) {
    static const char promo[] = "nbrq";
    std::string s;
    for (Square sq : {moveFrom(m), moveTo(m)}) {
        s += char('a' + fileOf(sq));
        s += char('1' + rankOf(sq));
    }
    if (moveKind(m) == MOVE_PROMOTION) s += promo[moveExtra(m)];
    return s;
}

}  // namespace

TEST(BookKey, PublishedKeys) {
    struct Case {
        const char* fen;
        u64 key;
    } cases[] = {
        {START, 0x463b96181691fc9cULL},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1", 0x823c9b50fd114196ULL},
        {"rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2", 0x0756b94461c50fb0ULL},
        {"rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2", 0x662fafb965db29d4ULL},
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", 0x22a48b5a8e47ff78ULL},
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR b kq - 0 3", 0x652a607ca3f242c1ULL},
        {"rnbq1bnr/ppp1pkpp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR w - - 0 4", 0x00fdd303c946bdd9ULL},
        {"rnbqkbnr/p1pppppp/8/8/PpP4P/8/1P1PPPP1/RNBQKBNR b KQkq c3 0 3", 0x3c8123ea7b067637ULL},
        {"rnbqkbnr/p1pppppp/8/8/P6P/R1p5/1P1PPPP1/1NBQKBNR b Kkq - 0 4", 0x5c3f9b829b279560ULL},
    };
    for (const Case& c : cases) {
        TestPosition t(c.fen);
        EXPECT_EQ(polyglotKey(t.pos), c.key) << c.fen;
    }
}

TEST(BookMove, Conversion) {
    TestPosition start(START);
    // A pawn's double step carries the double-step bit; a single step does not.
    EXPECT_EQ(bookMoveToMove(start.pos, bookMove("e2e4")), makeMoveWord(12, 28, MOVE_NORMAL, 1));
    EXPECT_EQ(bookMoveToMove(start.pos, bookMove("e2e3")), makeMoveWord(12, 20));
    EXPECT_EQ(bookMoveToMove(start.pos, bookMove("g1f3")), makeMoveWord(6, 21));

    TestPosition black("rnbqkbnr/pppppppp/8/3P4/8/8/PPP1PPPP/RNBQKBNR b KQkq - 0 1");
    Move e7e5 = bookMoveToMove(black.pos, bookMove("e7e5"));
    EXPECT_TRUE(isDoubleStep(e7e5));
    EXPECT_EQ(moveFrom(e7e5), 52);
    EXPECT_EQ(moveTo(e7e5), 36);

    // Castling is written as the king taking its own rook (or onto its target square).
    TestPosition castle("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    EXPECT_EQ(bookMoveToMove(castle.pos, bookMove("e1h1")), CASTLE_WHITE_KING_SIDE);
    EXPECT_EQ(bookMoveToMove(castle.pos, bookMove("e1g1")), CASTLE_WHITE_KING_SIDE);
    EXPECT_EQ(bookMoveToMove(castle.pos, bookMove("e1a1")), CASTLE_WHITE_QUEEN_SIDE);
    EXPECT_EQ(bookMoveToMove(castle.pos, bookMove("e8h8")), CASTLE_BLACK_KING_SIDE);
    EXPECT_EQ(bookMoveToMove(castle.pos, bookMove("e8a8")), CASTLE_BLACK_QUEEN_SIDE);
    // Without the rook on its square the king's move is an ordinary move.
    TestPosition noRook("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(bookMoveToMove(noRook.pos, bookMove("e1g1")), makeMoveWord(4, 6));

    // Onto the en-passant square: en passant for a pawn, a normal move for a knight.
    TestPosition ep("4k3/8/8/3pP3/8/8/8/4K1N1 w - d6 0 1");
    EXPECT_EQ(bookMoveToMove(ep.pos, bookMove("e5d6")), makeMoveWord(36, 43, MOVE_EN_PASSANT));
    TestPosition epKnight("4k3/8/8/3pP3/8/4N3/8/4K3 w - d6 0 1");
    EXPECT_EQ(bookMoveToMove(epKnight.pos, bookMove("e3d5")), makeMoveWord(20, 35));

    // Promotion codes 1..4 are knight..queen; a code above 4 is no move.
    TestPosition promo("8/4P3/8/8/8/8/8/k3K3 w - - 0 1");
    EXPECT_EQ(bookMoveToMove(promo.pos, bookMove("e7e8", 1)), makePromotion(52, 60, KNIGHT));
    EXPECT_EQ(bookMoveToMove(promo.pos, bookMove("e7e8", 4)), makePromotion(52, 60, QUEEN));
    EXPECT_EQ(bookMoveToMove(promo.pos, bookMove("e7e8", 5)), NO_MOVE);
}

TEST(BookChoice, Weights) {
    BookEntry e[2] = {{1, 0, 1, 0}, {1, 0, 3, 0}};
    EXPECT_EQ(chooseBookEntry(e, 2, 0), 0u);
    for (u32 r = 1; r <= 3; ++r) EXPECT_EQ(chooseBookEntry(e, 2, r), 1u);
}

TEST(BookFileTest, ProbesAndCollects) {
    TestPosition start(START);
    u64 key = polyglotKey(start.pos);
    // Three zero-weight entries of the start position among others: the probe
    // takes the one the bisection meets first (the middle one).
    BookFile file({{1, bookMove("a2a3"), 5, 0},
                   {key, bookMove("d2d4"), 0, 0},
                   {key, bookMove("e2e4"), 0, 0},
                   {key, bookMove("c2c4"), 0, 0},
                   {~0ULL, bookMove("h2h3"), 5, 0}});
    Book book(file.path.c_str());
    EXPECT_EQ(book.entryCount, 5u);
    Move m = 0;
    ASSERT_TRUE(book.probe(start.pos, m));
    EXPECT_EQ(moveText(m), "e2e4");

    BookEntry entries[Book::MAX_ENTRIES_PER_KEY];
    u32 count = 0;
    ASSERT_TRUE(book.collect(key, entries, count));
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(entries[0].move, bookMove("e2e4"));
    EXPECT_EQ(entries[1].move, bookMove("d2d4"));
    EXPECT_EQ(entries[2].move, bookMove("c2c4"));

    // Keys at both ends, and an absent key.
    EXPECT_TRUE(book.collect(1, entries, count));
    EXPECT_TRUE(book.collect(~0ULL, entries, count));
    EXPECT_FALSE(book.collect(2, entries, count));
    EXPECT_EQ(book.file, nullptr);
}

TEST(BookFileTest, MissingEmptyAndPartialFiles) {
    TestPosition start(START);
    u64 key = polyglotKey(start.pos);
    Move m = 0;

    Book missing("/nonexistent/talun/book.bin");
    EXPECT_EQ(missing.entryCount, 0u);
    EXPECT_FALSE(missing.probe(start.pos, m));

    BookFile empty({});
    Book emptyBook(empty.path.c_str());
    EXPECT_FALSE(emptyBook.probe(start.pos, m));

    // A trailing partial entry is ignored.
    BookFile partial({{key, bookMove("g1f3"), 1, 0}}, 15);
    Book partialBook(partial.path.c_str());
    EXPECT_EQ(partialBook.entryCount, 1u);
    ASSERT_TRUE(partialBook.probe(start.pos, m));
    EXPECT_EQ(moveText(m), "g1f3");
    BookEntry e;
    EXPECT_FALSE(partialBook.readEntry(1, e));

    // A new path reads the entry count again; an over-long one leaves no book.
    partialBook.setPath(empty.path.c_str());
    EXPECT_EQ(partialBook.entryCount, 0u);
    std::string longPath(300, 'x');
    partialBook.setPath(longPath.c_str());
    EXPECT_EQ(partialBook.entryCount, 0u);
    EXPECT_FALSE(partialBook.probe(start.pos, m));
}

TEST(BookFileTest, RealBooksGiveLegalMovesAlongTheirLines) {
    // Book lines played out on the board: every move the book gives is one of
    // the position's legal moves, exactly as the generator writes it.
    std::srand(12345);
    for (const char* name : {"gnuchess-book.bin", "performance.bin", "varied.bin"}) {
        std::string path = std::string(TALUN_DATA_DIR) + "/books/" + name;
        Book book(path.c_str());
        int bookMoves = 0;
        for (int line = 0; line < 40; ++line) {
            Board board;
            board.resetBoard();
            board.setFEN(START);
            for (int ply = 0; ply < 30; ++ply) {
                Move m = 0;
                if (!book.probe(board, m)) break;
                MoveList list;
                list.clear();
                bool inCheck = false;
                generateLegalMoves(board, list, inCheck);
                bool legal = false;
                for (u32 i = 0; i < list.count; ++i) legal |= list.move(i) == m;
                ASSERT_TRUE(legal)
                    << name << " line " << line << " ply " << ply << " " << moveText(m);
                ++bookMoves;
                UndoRecord undo;
                if (board.sideToMove == WHITE) {
                    board.makeMove<WHITE>(m, undo);
                } else {
                    board.makeMove<BLACK>(m, undo);
                }
            }
        }
        EXPECT_GT(bookMoves, 200) << name;
    }
}

namespace {

// Plays book moves on a real board (the book's own conversion of each move).
struct PlayedGame {
    Board board;
    PlayedGame() {
        board.resetBoard();
        board.setFEN(START);
    }
    void play(const char* text) {
        Move m = bookMoveToMove(bookPosition(board), bookMove(text));
        UndoRecord undo;
        if (board.sideToMove == WHITE) {
            board.makeMove<WHITE>(m, undo);
        } else {
            board.makeMove<BLACK>(m, undo);
        }
    }
    u64 key() const { return polyglotKey(bookPosition(board)); }
};

}  // namespace

TEST(BookKey, PublishedKeysOnTheBoard) {
    // The double-step bit of converted book moves gives the board its
    // en-passant square exactly when a capture is possible, as the key needs.
    PlayedGame g;
    EXPECT_EQ(g.key(), 0x463b96181691fc9cULL);
    g.play("e2e4");
    EXPECT_EQ(g.key(), 0x823c9b50fd114196ULL);
    g.play("d7d5");
    EXPECT_EQ(g.key(), 0x0756b94461c50fb0ULL);
    g.play("e4e5");
    EXPECT_EQ(g.key(), 0x662fafb965db29d4ULL);
    g.play("f7f5");
    EXPECT_EQ(g.key(), 0x22a48b5a8e47ff78ULL);
    g.play("e1e2");
    EXPECT_EQ(g.key(), 0x652a607ca3f242c1ULL);
    g.play("e8f7");
    EXPECT_EQ(g.key(), 0x00fdd303c946bdd9ULL);
}
