// The FEN text reader shared by every board.
#include "board/fen_reader.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "board/piece_limits.h"

namespace {

// Reads a number as the C library's atoi does (leading blanks, a sign, digits;
// no digits gives 0), but refuses values outside the range of an int instead
// of overflowing.
bool readNumber(const char* text, long& value) {
    errno = 0;
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return errno != ERANGE && value >= INT_MIN && value <= INT_MAX;
}

int pieceKindOfLetter(char c) {
    const char lower = char(c | 0x20);
    const char* found = (c != '.' && c != '\0') ? std::strchr(PIECE_LETTERS, lower) : nullptr;
    return found ? int(found - PIECE_LETTERS) : 0;
}

// Field 1: the placement, up to its closing blank. Advances p past the blank.
bool readPlacement(const char*& p, FenRecord& rec) {
    int rank = 7, file = 0;
    for (;; ++p) {
        const char c = *p;
        if (c == ' ') {
            if (rank != 0 || file != 8) return false;
            ++p;
            return true;
        }
        if (c >= '1' && c <= '8') {
            file += c - '0';
            if (file > 8) return false;
        } else if (c == '/') {
            if (file != 8 || rank == 0) return false;
            --rank;
            file = 0;
        } else {
            const int kind = pieceKindOfLetter(c);
            if (kind == 0 || file >= 8) return false;
            const int sq = makeSquare(file, rank);
            rec.kinds[sq] = u8(kind);
            rec.colors[sq] = (c >= 'a') ? BLACK : WHITE;
            ++file;
        }
    }
}

// Fields 2 and 3: side to move and castling rights, each ended by a blank.
bool readSideAndCastling(const char*& p, FenRecord& rec) {
    if ((p[0] != 'w' && p[0] != 'b') || p[1] != ' ') return false;
    rec.side = p[0] == 'w' ? WHITE : BLACK;
    p += 2;
    if (*p == '-') {
        if (p[1] != ' ') return false;
        p += 2;
        return true;
    }
    static const char LETTERS[] = "KQkq";
    int next = 0;  // letters must come in the order K, Q, k, q, each at most once
    for (; *p != ' '; ++p) {
        const char* found = *p ? std::strchr(LETTERS, *p) : nullptr;
        if (!found || found - LETTERS < next) return false;
        next = int(found - LETTERS) + 1;
        rec.rights |= u8(1u << (found - LETTERS));
    }
    ++p;  // an empty field (a second blank) gives no rights
    return true;
}

// Field 4: the en-passant square. Refuses a square that no double step of the
// side not to move can explain: the pawn must stand right behind it and the
// passed square and the pawn's start square must be empty.
bool readEnPassant(const char*& p, FenRecord& rec) {
    rec.epSquare = NO_SQUARE;
    if (*p == '-') {
        ++p;
        return true;
    }
    if (p[0] < 'a' || p[0] > 'h' || p[1] < '1' || p[1] > '8') return false;
    const int file = p[0] - 'a', rank = p[1] - '1';
    p += 2;
    const Color mover = Color(rec.side ^ 1);  // the side that made the double step
    if (rank != (rec.side == WHITE ? 5 : 2)) return false;
    const int up = rec.side == WHITE ? 8 : -8;  // the side to move's forward step
    const int passed = makeSquare(file, rank);
    const int pawnSquare = passed - up, startSquare = passed + up;
    if (rec.kinds[pawnSquare] != PAWN || rec.colors[pawnSquare] != mover) return false;
    if (rec.kinds[passed] != EMPTY || rec.kinds[startSquare] != EMPTY) return false;
    // Kept only when a pawn of the side to move stands beside the one that
    // stepped, so that it can actually take.
    for (int beside : {file - 1, file + 1}) {
        if (beside < 0 || beside > 7) continue;
        const int s = makeSquare(beside, rankOf(pawnSquare));
        if (rec.kinds[s] == PAWN && rec.colors[s] == rec.side) rec.epSquare = Square(passed);
    }
    return true;
}

// Fields 5 and 6: half-move clock and full-move number (not stored).
bool readMoveNumbers(const char* p, FenRecord& rec) {
    long value = 0;
    const char* blank = std::strchr(p, ' ');
    if (!blank) return readNumber(p, value) && value > 0;  // a lone full-move number
    const size_t length = size_t(blank - p);
    if (length > 4) return false;
    char token[5] = {};
    std::memcpy(token, p, length);
    if (!readNumber(token, value) || value < 0) return false;
    // Saturated like the make operations' clock: a count past 255 stays a
    // fifty-move draw instead of wrapping to a small number.
    rec.halfMoveClock = u8(value > 255 ? 255 : value);
    return readNumber(blank + 1, value) && value > 0;
}

// Each side needs exactly one king and men that the 0x88 board's piece lists
// can hold too (so at most 16 men and 8 pawns), and no pawn stands on rank 1
// or 8. Castling letters whose king or rook is not at home are dropped.
bool fitsBoards(FenRecord& rec) {
    int counts[2][8] = {};
    for (int sq = 0; sq < 64; ++sq) {
        if (rec.kinds[sq] == EMPTY) continue;
        ++counts[rec.colors[sq]][rec.kinds[sq]];
        if (rec.kinds[sq] == PAWN && (rankOf(sq) == 0 || rankOf(sq) == 7)) return false;
    }
    if (!piecelimits::fitsPieceLists(counts[WHITE]) || !piecelimits::fitsPieceLists(counts[BLACK]))
        return false;

    auto has = [&](int sq, PieceKind kind, Color color) {
        return rec.kinds[sq] == kind && rec.colors[sq] == color;
    };
    if (!has(4, KING, WHITE)) rec.rights &= u8(~(WHITE_KING_SIDE | WHITE_QUEEN_SIDE));
    if (!has(7, ROOK, WHITE)) rec.rights &= u8(~WHITE_KING_SIDE);
    if (!has(0, ROOK, WHITE)) rec.rights &= u8(~WHITE_QUEEN_SIDE);
    if (!has(60, KING, BLACK)) rec.rights &= u8(~(BLACK_KING_SIDE | BLACK_QUEEN_SIDE));
    if (!has(63, ROOK, BLACK)) rec.rights &= u8(~BLACK_KING_SIDE);
    if (!has(56, ROOK, BLACK)) rec.rights &= u8(~BLACK_QUEEN_SIDE);
    return true;
}

}  // namespace

Square FenRecord::kingSquare(Color c) const {
    for (int sq = 0; sq < 64; ++sq)
        if (kinds[sq] == KING && colors[sq] == c) return Square(sq);
    return NO_SQUARE;
}

bool readFen(const char* text, FenRecord& rec) {
    std::memset(&rec, 0, sizeof rec);
    std::memset(rec.colors, NO_COLOR, sizeof rec.colors);
    if (!text) return false;
    const char* p = text;
    if (!readPlacement(p, rec) || !readSideAndCastling(p, rec)) return false;
    if (!readEnPassant(p, rec)) return false;
    if (*p != '\0') {
        if (*p != ' ' || !readMoveNumbers(p + 1, rec)) return false;
    }
    return fitsBoards(rec);
}
