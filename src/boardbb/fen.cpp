// FEN text in and out of the bitboard board.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/piece_limits.h"
#include "boardbb/board_bb64.h"

namespace {

// A position as read from FEN text, before it is checked and committed.
struct FenPosition {
    u8 kinds[64];
    u8 colors[64];
    u8 side;
    u8 rights;
    u8 epSquare;
    u8 halfMoveClock;
    Bitboard bitboards[8];
};

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
bool readPlacement(const char*& p, FenPosition& pos) {
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
            const int sq = rank * 8 + file;
            pos.kinds[sq] = u8(kind);
            pos.colors[sq] = (c >= 'a') ? BLACK : WHITE;
            ++file;
        }
    }
}

// Fields 2 and 3: side to move and castling rights, each ended by a blank.
bool readSideAndCastling(const char*& p, FenPosition& pos) {
    if ((p[0] != 'w' && p[0] != 'b') || p[1] != ' ') return false;
    pos.side = p[0] == 'w' ? WHITE : BLACK;
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
        pos.rights |= u8(1u << (found - LETTERS));
    }
    ++p;  // an empty field (a second blank) gives no rights
    return true;
}

// Field 4: the en-passant square. Refuses a square that no double step of the
// side not to move can explain: the pawn must stand right behind it and the
// passed square and the pawn's start square must be empty.
bool readEnPassant(const char*& p, FenPosition& pos) {
    pos.epSquare = NO_SQUARE;
    if (*p == '-') {
        ++p;
        return true;
    }
    if (p[0] < 'a' || p[0] > 'h' || p[1] < '1' || p[1] > '8') return false;
    const int file = p[0] - 'a', rank = p[1] - '1';
    p += 2;
    const Color mover = Color(pos.side ^ 1);  // the side that made the double step
    if (rank != (pos.side == WHITE ? 5 : 2)) return false;
    const int passed = rank * 8 + file;
    const int pawnSquare = passed - pawnDirection[pos.side];
    const int startSquare = passed + pawnDirection[pos.side];
    if (pos.kinds[pawnSquare] != PAWN || pos.colors[pawnSquare] != mover) return false;
    if (pos.kinds[passed] != EMPTY || pos.kinds[startSquare] != EMPTY) return false;
    // Kept only when a pawn of the side to move can actually take.
    const Bitboard takers = pos.bitboards[PAWN - 1] & pos.bitboards[6 + pos.side];
    if (epNeighbours[pawnSquare] & takers) pos.epSquare = u8(passed);
    return true;
}

// Fields 5 and 6: half-move clock and full-move number (not stored).
bool readMoveNumbers(const char* p, FenPosition& pos) {
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
    pos.halfMoveClock = u8(value > 255 ? 255 : value);
    return readNumber(blank + 1, value) && value > 0;
}

void fillBitboards(FenPosition& pos) {
    std::memset(pos.bitboards, 0, sizeof pos.bitboards);
    for (int sq = 0; sq < 64; ++sq) {
        if (!pos.kinds[sq]) continue;
        pos.bitboards[pos.kinds[sq] - 1] |= squareBit(sq);
        pos.bitboards[6 + pos.colors[sq]] |= squareBit(sq);
    }
}

// Positions the board cannot hold safely are refused: each side needs exactly
// one king and men that the 0x88 board's piece lists can hold too (so at most
// 16 men and 8 pawns), no pawn stands on rank 1 or 8, and the side not to move
// is not in check. Castling letters whose king or rook is not at home are
// dropped.
bool isPlayable(FenPosition& pos) {
    const Bitboard* bb = pos.bitboards;
    for (int c = 0; c < 2; ++c) {
        int counts[8] = {};
        for (int k = PAWN; k <= KING; ++k) counts[k] = popCount(bb[k - 1] & bb[6 + c]);
        if (!piecelimits::fitsPieceLists(counts)) return false;
    }
    if (bb[PAWN - 1] & 0xFF000000000000FFull) return false;
    const Bitboard occ = bb[6] | bb[7];
    const bool checked =
        pos.side == WHITE
            ? squareAttackedBy<WHITE>(bb, Square(lowestSquare(bb[KING - 1] & bb[7])), occ, bb[6])
            : squareAttackedBy<BLACK>(bb, Square(lowestSquare(bb[KING - 1] & bb[6])), occ, bb[7]);
    if (checked) return false;

    auto has = [&](int sq, PieceKind kind, Color color) {
        return pos.kinds[sq] == kind && pos.colors[sq] == color;
    };
    if (!has(4, KING, WHITE)) pos.rights &= u8(~(WHITE_KING_SIDE | WHITE_QUEEN_SIDE));
    if (!has(7, ROOK, WHITE)) pos.rights &= u8(~WHITE_KING_SIDE);
    if (!has(0, ROOK, WHITE)) pos.rights &= u8(~WHITE_QUEEN_SIDE);
    if (!has(60, KING, BLACK)) pos.rights &= u8(~(BLACK_KING_SIDE | BLACK_QUEEN_SIDE));
    if (!has(63, ROOK, BLACK)) pos.rights &= u8(~BLACK_KING_SIDE);
    if (!has(56, ROOK, BLACK)) pos.rights &= u8(~BLACK_QUEEN_SIDE);
    return true;
}

bool parseFen(const char* text, FenPosition& pos) {
    std::memset(&pos, 0, sizeof pos);
    std::memset(pos.colors, NO_COLOR, sizeof pos.colors);
    const char* p = text;
    if (!readPlacement(p, pos) || !readSideAndCastling(p, pos)) return false;
    fillBitboards(pos);
    if (!readEnPassant(p, pos)) return false;
    if (*p != '\0') {
        if (*p != ' ' || !readMoveNumbers(p + 1, pos)) return false;
    }
    return isPlayable(pos);
}

}  // namespace

bool Board_BB64::setFEN(const char* text) {
    initTables();
    FenPosition pos;
    if (!text || !parseFen(text, pos)) return false;  // the board keeps its position

    resetBoard();
    for (int sq = 0; sq < 64; ++sq)
        if (pos.kinds[sq])
            addPieceHashed(Square(sq), PieceKind(pos.kinds[sq]), Color(pos.colors[sq]));
    HashKey& key = current().key;
    sideToMove = pos.side;
    if (sideToMove == BLACK) key ^= sideKey;
    castlingRights = pos.rights;
    key ^= castlingChangeKeys[castlingRights];
    epSquare = pos.epSquare;
    if (epSquare != NO_SQUARE) key ^= epFileKeys[epSquare & 7];
    halfMoveClock = pos.halfMoveClock;
    perftKeys[perftKeyCount] = key;
    assert(isConsistent());
    return true;
}

void Board_BB64::getFEN(char* buffer) const {
    char* out = buffer;
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const int sq = rank * 8 + file;
            if (pieceKinds[sq] == EMPTY) {
                ++empty;
                continue;
            }
            if (empty) *out++ = char('0' + empty);
            empty = 0;
            const char letter = PIECE_LETTERS[pieceKinds[sq]];
            *out++ = pieceColors[sq] == WHITE ? char(letter - 'a' + 'A') : letter;
        }
        if (empty) *out++ = char('0' + empty);
        if (rank) *out++ = '/';
    }
    *out++ = ' ';
    *out++ = sideToMove == WHITE ? 'w' : 'b';
    *out++ = ' ';
    if (!castlingRights) *out++ = '-';
    for (int bit = 0; bit < 4; ++bit)
        if (castlingRights & (1 << bit)) *out++ = "KQkq"[bit];
    *out++ = ' ';
    if (epSquare == NO_SQUARE) {
        *out++ = '-';
    } else {
        *out++ = char('a' + fileOf(epSquare));
        *out++ = char('1' + rankOf(epSquare));
    }
    std::snprintf(out, size_t(90 - (out - buffer)), " %u %u", unsigned(halfMoveClock),
                  unsigned(historyIndex / 2 + 1));
}
