#include "book/book.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/regular_file.h"

namespace {

constexpr int CASTLE_RANDOM = 768;
constexpr int EP_RANDOM = 772;
constexpr int TURN_RANDOM = 780;

u64 readBigEndian(const unsigned char* bytes, int count) {
    u64 v = 0;
    for (int i = 0; i < count; ++i) v = (v << 8) | bytes[i];
    return v;
}

u64 entryCountOf(const char* path) {
    struct stat st;
    if (path[0] == '\0' || stat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) return 0;
    return u64(st.st_size) / BOOK_ENTRY_BYTES;
}

// Reports a positioning or reading failure of the bisection search; a short
// read at the end of the file sets no error number and prints nothing.
void reportReadError() {
    if (errno != 0) {
        std::cout << "ERROR: " << std::strerror(errno) << "\n";
        std::cout.flush();
    }
}

bool isMan(const BookPosition& pos, int sq, PieceKind kind, Color color) {
    return pos.kinds[sq] == kind && pos.colors[sq] == color;
}

// Castling is written as the king taking its own rook; some books write the
// king's own target square instead. Both name the castling when king and rook
// stand on their start squares.
Move castlingMove(const BookPosition& pos, int from, int to) {
    struct Castle {
        int king, rook, target;
        Color color;
        Move move;
    };
    static constexpr Castle CASTLES[4] = {
        {4, 7, 6, WHITE, CASTLE_WHITE_KING_SIDE},
        {4, 0, 2, WHITE, CASTLE_WHITE_QUEEN_SIDE},
        {60, 63, 62, BLACK, CASTLE_BLACK_KING_SIDE},
        {60, 56, 58, BLACK, CASTLE_BLACK_QUEEN_SIDE},
    };
    for (const Castle& c : CASTLES) {
        if (from != c.king || (to != c.rook && to != c.target)) continue;
        if (isMan(pos, c.king, KING, c.color) && isMan(pos, c.rook, ROOK, c.color)) return c.move;
    }
    return NO_MOVE;
}

}  // namespace

BookPosition bookPosition(const Board& board) {
    BookPosition pos{};
    for (int sq = 0; sq < 64; ++sq) {
        pos.kinds[sq] = board.kindAt(Square(sq));
        pos.colors[sq] = board.colorAt(Square(sq));
    }
    pos.castlingRights = board.castlingRights;
    pos.epSquare = epSquareOf(board);
    pos.sideToMove = board.sideToMove;
    return pos;
}

HashKey polyglotKey(const BookPosition& pos) {
    HashKey key = 0;
    for (int sq = 0; sq < 64; ++sq) {
        int kind = pos.kinds[sq];
        if (kind < PAWN || kind > KING) continue;
        int piece = 2 * (kind - 1) + (pos.colors[sq] == WHITE ? 1 : 0);
        key ^= POLYGLOT_RANDOM64[64 * piece + sq];
    }
    for (int i = 0; i < 4; ++i) {
        if (pos.castlingRights & (1 << i)) key ^= POLYGLOT_RANDOM64[CASTLE_RANDOM + i];
    }
    if (pos.epSquare < 64) key ^= POLYGLOT_RANDOM64[EP_RANDOM + fileOf(pos.epSquare)];
    if (pos.sideToMove == WHITE) key ^= POLYGLOT_RANDOM64[TURN_RANDOM];
    return key;
}

Move bookMoveToMove(const BookPosition& pos, u16 bookMove) {
    int to = makeSquare(bookMove & 7, (bookMove >> 3) & 7);
    int from = makeSquare((bookMove >> 6) & 7, (bookMove >> 9) & 7);
    int promotion = (bookMove >> 12) & 7;
    if (promotion > 4) return NO_MOVE;
    if (promotion != 0) return makePromotion(Square(from), Square(to), PieceKind(promotion + 1));
    Move castling = castlingMove(pos, from, to);
    if (castling != NO_MOVE) return castling;
    if (pos.kinds[from] != PAWN) return makeMoveWord(Square(from), Square(to));
    if (pos.epSquare < 64 && to == pos.epSquare) {
        return makeMoveWord(Square(from), Square(to), MOVE_EN_PASSANT);
    }
    bool whiteDouble = pos.colors[from] == WHITE && rankOf(from) == 1 && rankOf(to) == 3;
    bool blackDouble = pos.colors[from] == BLACK && rankOf(from) == 6 && rankOf(to) == 4;
    bool doubleStep = (whiteDouble || blackDouble) && fileOf(from) == fileOf(to);
    return makeMoveWord(Square(from), Square(to), MOVE_NORMAL, doubleStep ? 1 : 0);
}

u32 chooseBookEntry(const BookEntry* entries, u32 count, u32 r) {
    u32 running = 0;
    for (u32 i = 0; i < count; ++i) {
        running += entries[i].weight;
        if (running > r) return i;
    }
    return 0;
}

Book::Book(const char* filePath) {
    setPath(filePath);
}

Book::~Book() {
    if (file != nullptr) std::fclose(file);
}

void Book::setPath(const char* filePath) {
    path[0] = '\0';
    entryCount = 0;
    if (std::strlen(filePath) >= sizeof(path)) return;
    std::strcpy(path, filePath);
    entryCount = entryCountOf(path);
}

bool Book::readEntry(u64 i, BookEntry& entry) {
    if (i >= entryCount || file == nullptr) return false;
    if (fseeko(file, off_t(i * BOOK_ENTRY_BYTES), SEEK_SET) != 0) return false;
    unsigned char bytes[BOOK_ENTRY_BYTES];
    if (std::fread(bytes, 1, BOOK_ENTRY_BYTES, file) != BOOK_ENTRY_BYTES) return false;
    entry.key = readBigEndian(bytes, 8);
    entry.move = u16(readBigEndian(bytes + 8, 2));
    entry.weight = u16(readBigEndian(bytes + 10, 2));
    entry.learn = u32(readBigEndian(bytes + 12, 4));
    return true;
}

bool Book::collect(HashKey key, BookEntry* entries, u32& count) {
    count = 0;
    file = openRegularFile(path);
    if (file == nullptr) return false;
    // Bisection over whole entries; 64-bit bounds so that no book size overflows them.
    i64 lo = 0, hi = i64(entryCount) - 1, found = -1;
    BookEntry entry;
    while (lo <= hi) {
        i64 mid = (lo + hi + 1) / 2;
        errno = 0;
        if (!readEntry(u64(mid), entry)) {
            reportReadError();
            break;
        }
        if (entry.key == key) {
            found = mid;
            break;
        }
        if (entry.key < key) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    bool ok = found >= 0;
    if (ok) entries[count++] = entry;
    for (i64 i = found - 1; ok && i >= 0 && count < MAX_ENTRIES_PER_KEY; --i) {
        if (!readEntry(u64(i), entry))
            ok = false;
        else if (entry.key != key)
            break;
        else
            entries[count++] = entry;
    }
    for (u64 i = u64(found + 1); ok && i < entryCount && count < MAX_ENTRIES_PER_KEY; ++i) {
        if (!readEntry(i, entry))
            ok = false;
        else if (entry.key != key)
            break;
        else
            entries[count++] = entry;
    }
    std::fclose(file);
    file = nullptr;
    return ok && count > 0;
}

bool Book::probe(const Board& board, Move& move) {
    return probe(bookPosition(board), move);
}

bool Book::probe(const BookPosition& pos, Move& move) {
    BookEntry entries[MAX_ENTRIES_PER_KEY];
    u32 count = 0;
    if (!collect(polyglotKey(pos), entries, count)) return false;
    u32 sum = 0;
    for (u32 i = 0; i < count; ++i) sum += entries[i].weight;
    u32 chosen =
        sum == 0 ? 0 : chooseBookEntry(entries, count, u32(std::rand() & 0x7fffffff) % sum);
    Move m = bookMoveToMove(pos, entries[chosen].move);
    if (m == NO_MOVE) return false;
    move = m;
    return true;
}
