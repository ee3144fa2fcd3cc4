// Board_0x88 state: construction, FEN set-up, keys from scratch, the piece
// iterator, the pawn-file scan, the draw test and the consistency check.
#include "board0x88/board_0x88.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <mutex>

namespace {
std::once_flag clockSeedOnce;
}

Board_0x88::Board_0x88() {
    std::memset(pieceKinds, EMPTY, sizeof pieceKinds);
    std::memset(pieceColors, NO_COLOR, sizeof pieceColors);
    std::memset(pieceSlots, x88::NO_SLOT, sizeof pieceSlots);
    std::memset(pieceLists, x88::EMPTY_SLOT, sizeof pieceLists);
    std::memset(pieceCounts, 0, sizeof pieceCounts);
    std::memset(kindSets, 0, sizeof kindSets);
    std::memset(colorSets, 0, sizeof colorSets);
    epSquare = x88::NO_EP;
}

void Board_0x88::initTables() {
    initAttackTables();
    initZobristKeys();
    // The keys are drawn first, so they never depend on the clock.
    std::call_once(clockSeedOnce, seedRandomFromClock);
}

void Board_0x88::resetBoard() {
    initTables();
    std::memset(pieceKinds, EMPTY, sizeof pieceKinds);
    std::memset(pieceColors, NO_COLOR, sizeof pieceColors);
    std::memset(pieceSlots, x88::NO_SLOT, sizeof pieceSlots);
    std::memset(pieceLists, x88::EMPTY_SLOT, sizeof pieceLists);
    std::memset(pieceCounts, 0, sizeof pieceCounts);
    std::memset(kindSets, 0, sizeof kindSets);
    std::memset(colorSets, 0, sizeof colorSets);
    std::memset(pstSums, 0, sizeof pstSums);
    historyIndex = 0;
    history[0] = HistoryRecord{};
    castlingRights = 0;
    epSquare = x88::NO_EP;
    halfMoveClock = 0;
    sideToMove = NO_COLOR;
}

// ---------------------------------------------------------------------------
// FEN set-up. The text is read into a scratch position and checked as a whole
// before the board is touched, so a refused text leaves the board as it was.

namespace {

struct FenPosition {
    u8 kinds[128];
    u8 colors[128];
    u8 side;
    u8 rights;
    u8 epSquare;
    u8 halfMoveClock;
};

// As the C library's atoi (leading blanks, a sign, digits), but refusing
// values outside the range of an int instead of overflowing.
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
            const int sq = rank * 16 + file;
            pos.kinds[sq] = u8(kind);
            pos.colors[sq] = (c >= 'a') ? BLACK : WHITE;
            ++file;
        }
    }
}

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
    int next = 0;  // letters in the order K, Q, k, q, each at most once
    for (; *p != ' '; ++p) {
        const char* found = *p ? std::strchr(LETTERS, *p) : nullptr;
        if (!found || found - LETTERS < next) return false;
        next = int(found - LETTERS) + 1;
        pos.rights |= u8(1u << (found - LETTERS));
    }
    ++p;  // an empty field (a second blank) gives no rights
    return true;
}

// The en-passant square must be explained by a double step of the side not to
// move; it is kept only when a pawn of the side to move stands beside that pawn.
bool readEnPassant(const char*& p, FenPosition& pos) {
    pos.epSquare = x88::NO_EP;
    if (*p == '-') {
        ++p;
        return true;
    }
    if (p[0] < 'a' || p[0] > 'h' || p[1] < '1' || p[1] > '8') return false;
    const int file = p[0] - 'a', rank = p[1] - '1';
    p += 2;
    const Color mover = Color(pos.side ^ 1);
    if (rank != (pos.side == WHITE ? 5 : 2)) return false;
    const int up = pos.side == WHITE ? 16 : -16;  // the side to move's forward step
    const int passed = rank * 16 + file;
    const int pawnSquare = passed - up, startSquare = passed + up;
    if (pos.kinds[pawnSquare] != PAWN || pos.colors[pawnSquare] != mover) return false;
    if (pos.kinds[passed] != EMPTY || pos.kinds[startSquare] != EMPTY) return false;
    for (int side : {-1, 1}) {
        const u32 s = u32(pawnSquare + side);
        if (x88::onBoard(s) && pos.kinds[s] == PAWN && pos.colors[s] == pos.side)
            pos.epSquare = u8(passed);
    }
    return true;
}

bool readMoveNumbers(const char* p, FenPosition& pos) {
    long value = 0;
    const char* blank = std::strchr(p, ' ');
    if (!blank) return readNumber(p, value) && value > 0;  // a lone full-move number
    const size_t length = size_t(blank - p);
    if (length > 4) return false;
    char token[5] = {};
    std::memcpy(token, p, length);
    if (!readNumber(token, value) || value < 0) return false;
    // Saturated like the make operations' clock.
    pos.halfMoveClock = u8(value > 255 ? 255 : value);
    return readNumber(blank + 1, value) && value > 0;
}

// One king and men that fit the piece lists per side (so at most 16 men and 8
// pawns), no pawn on rank 1 or 8, the side not to move not in check; castling
// letters whose king or rook is not at home are dropped.
bool isPlayable(FenPosition& pos) {
    int counts[2][8] = {};
    u32 kings[2] = {0, 0};
    for (u32 sq = 0; sq < 128; ++sq) {
        if (!x88::onBoard(sq) || pos.kinds[sq] == EMPTY) continue;
        ++counts[pos.colors[sq]][pos.kinds[sq]];
        if (pos.kinds[sq] == KING) kings[pos.colors[sq]] = sq;
        if (pos.kinds[sq] == PAWN && (x88::rankOf(u8(sq)) == 0 || x88::rankOf(u8(sq)) == 7))
            return false;
    }
    if (!piecelimits::fitsPieceLists(counts[WHITE]) || !piecelimits::fitsPieceLists(counts[BLACK]))
        return false;
    const bool checked =
        pos.side == WHITE
            ? x88::firstAttackerOn<WHITE>(pos.kinds, pos.colors, u8(kings[BLACK])) >= 0
            : x88::firstAttackerOn<BLACK>(pos.kinds, pos.colors, u8(kings[WHITE])) >= 0;
    if (checked) return false;

    auto has = [&](int sq, PieceKind kind, Color color) {
        return pos.kinds[sq] == kind && pos.colors[sq] == color;
    };
    if (!has(4, KING, WHITE)) pos.rights &= u8(~(WHITE_KING_SIDE | WHITE_QUEEN_SIDE));
    if (!has(7, ROOK, WHITE)) pos.rights &= u8(~WHITE_KING_SIDE);
    if (!has(0, ROOK, WHITE)) pos.rights &= u8(~WHITE_QUEEN_SIDE);
    if (!has(116, KING, BLACK)) pos.rights &= u8(~(BLACK_KING_SIDE | BLACK_QUEEN_SIDE));
    if (!has(119, ROOK, BLACK)) pos.rights &= u8(~BLACK_KING_SIDE);
    if (!has(112, ROOK, BLACK)) pos.rights &= u8(~BLACK_QUEEN_SIDE);
    return true;
}

bool parseFen(const char* text, FenPosition& pos) {
    std::memset(&pos, 0, sizeof pos);
    std::memset(pos.colors, NO_COLOR, sizeof pos.colors);
    const char* p = text;
    if (!readPlacement(p, pos) || !readSideAndCastling(p, pos)) return false;
    if (!readEnPassant(p, pos)) return false;
    if (*p != '\0') {
        if (*p != ' ' || !readMoveNumbers(p + 1, pos)) return false;
    }
    return isPlayable(pos);
}

}  // namespace

bool Board_0x88::setFEN(const char* text) {
    initTables();
    FenPosition pos;
    if (!text || !parseFen(text, pos)) return false;  // the board keeps its position

    resetBoard();
    // FEN order (a8 onwards) fixes the slot order, and with it the order of
    // every walk of the lists and of move generation.
    for (int rank = 7; rank >= 0; --rank)
        for (int file = 0; file < 8; ++file) {
            const int sq = rank * 16 + file;
            if (pos.kinds[sq] == EMPTY) continue;
            [[maybe_unused]] const bool placed =
                addPiece(u8(sq), PieceKind(pos.kinds[sq]), Color(pos.colors[sq]));
            assert(placed);  // isPlayable checked that every man has a slot
        }
    HashKey& key = current().key;
    sideToMove = pos.side;
    if (sideToMove == BLACK) key ^= sideKey;
    castlingRights = pos.rights;
    key ^= castlingChangeKeys[castlingRights];
    epSquare = pos.epSquare;
    if (epSquare != x88::NO_EP) key ^= epFileKeys[epSquare & 7];
    halfMoveClock = pos.halfMoveClock;
    perftKeys[perftKeyCount] = key;
    assert(isConsistent());
    return true;
}

// ---------------------------------------------------------------------------
// Keys from scratch

HashKey Board_0x88::computeSideHashKey(u32 side) const {
    HashKey key = 0;
    for (u32 slot = 0; slot < 16; ++slot) {
        const u8 sq = pieceLists[side][slot];
        if (x88::onBoard(sq)) key ^= x88::key(side, pieceKinds[sq], sq);
    }
    return key;
}

HashKey Board_0x88::computePawnHashKey() const {
    HashKey key = 0;
    for (u32 c = 0; c < 2; ++c)
        for (u32 slot = 8; slot < 16; ++slot) {
            const u8 sq = pieceLists[c][slot];
            if (x88::onBoard(sq) && pieceKinds[sq] == PAWN) key ^= x88::key(c, PAWN, sq);
        }
    return key;
}

HashKey Board_0x88::computeFullKey() const {
    HashKey key = computeSideHashKey(WHITE) ^ computeSideHashKey(BLACK);
    key ^= castlingChangeKeys[castlingRights & 15];
    if (epSquare != x88::NO_EP) key ^= epFileKeys[epSquare & 7];
    if (sideToMove == BLACK) key ^= sideKey;
    return key;
}

bool Board_0x88::isConsistent() const {
    ScorePair sums[2] = {};
    int counts[2][8] = {};
    Bitboard sets[7] = {}, sides[2] = {};
    for (u32 sq = 0; sq < 128; ++sq) {
        if (!x88::onBoard(sq)) continue;
        const u32 kind = pieceKinds[sq], color = pieceColors[sq], slot = pieceSlots[sq];
        if (kind > KING || color > NO_COLOR || (kind == EMPTY) != (color == NO_COLOR)) return false;
        if (kind == EMPTY) {
            if (slot != x88::NO_SLOT) return false;
            continue;
        }
        if (slot >= 16 || pieceLists[color][slot] != sq) return false;
        ++counts[color][kind];
        ++counts[color][7];
        sets[kind] |= squareBit(x88::toSquare(u8(sq)));
        sides[color] |= squareBit(x88::toSquare(u8(sq)));
        x88::addScore(sums[color], x88::pst(color, kind, u8(sq)));
    }
    for (u32 c = 0; c < 2; ++c) {
        for (u32 slot = 0; slot < 16; ++slot) {
            const u8 sq = pieceLists[c][slot];
            if (sq == x88::EMPTY_SLOT) continue;
            if (!x88::onBoard(sq) || pieceColors[sq] != c || pieceSlots[sq] != slot) return false;
        }
        for (u32 k = 1; k < 8; ++k)
            if (counts[c][k] != pieceCounts[c][k]) return false;
        if (counts[c][KING] == 1 && pieceKinds[pieceLists[c][0]] != KING) return false;
        if (sums[c].mg != pstSums[c].mg || sums[c].eg != pstSums[c].eg) return false;
    }
    for (u32 k = 1; k < 7; ++k)
        if (sets[k] != kindSets[k]) return false;
    if (sides[WHITE] != colorSets[WHITE] || sides[BLACK] != colorSets[BLACK]) return false;
    if (castlingRights > 15 || sideToMove > NO_COLOR || historyIndex >= HISTORY_SIZE) return false;
    if (epSquare != x88::NO_EP && !x88::onBoard(epSquare)) return false;
    return current().key == computeFullKey() && current().pawnKey == computePawnHashKey();
}

// ---------------------------------------------------------------------------
// Piece iterator

PieceIterator0x88 Board_0x88::iterator(Color c, u32 firstSlot, u32 lastSlot) const {
    i32 kind = KING;
    while (kind > PAWN && u32(piecelimits::lastSlotOfKind[kind]) < firstSlot) --kind;
    return PieceIterator0x88{pieceLists[c], kind, firstSlot, lastSlot, firstSlot};
}

namespace {
u32 walkFrom(PieceIterator0x88& it) {
    while (it.current <= it.last) {
        const u8 sq = it.list[it.current];
        if (x88::onBoard(sq)) return sq;  // 255 fails the test: an empty slot
        if (++it.current > u32(piecelimits::lastSlotOfKind[it.kind]) && it.kind > PAWN) --it.kind;
    }
    return PieceIterator0x88::NONE;
}
}  // namespace

u32 PieceIterator0x88::first() {
    current = start;
    return walkFrom(*this);
}

u32 PieceIterator0x88::next() {
    if (current > last) return NONE;
    if (++current > u32(piecelimits::lastSlotOfKind[kind]) && kind > PAWN) --kind;
    return walkFrom(*this);
}

// ---------------------------------------------------------------------------
// Pawn files for the evaluation

template <Color C>
void Board_0x88::scanPawnFiles(u8* fileCounts, Bitboard& pawnMask) const {
    for (u32 slot = 8; slot < 16; ++slot) {
        const u8 sq = pieceLists[C][slot];
        if (!x88::onBoard(sq) || pieceKinds[sq] != PAWN) continue;
        ++fileCounts[sq & 7];
        pawnMask |= squareBit(x88::toSquare(sq));
    }
}
template void Board_0x88::scanPawnFiles<WHITE>(u8*, Bitboard&) const;
template void Board_0x88::scanPawnFiles<BLACK>(u8*, Bitboard&) const;

// ---------------------------------------------------------------------------
// Draws by rule: fifty moves, insufficient material, repetition.

bool Board_0x88::isInsufficientMaterial() const {
    const u8* w = pieceCounts[WHITE];
    const u8* b = pieceCounts[BLACK];
    if (w[PAWN] + w[ROOK] + w[QUEEN] + b[PAWN] + b[ROOK] + b[QUEEN] != 0) return false;
    // A lone king against a king with at most one minor piece.
    return (w[7] <= 2 && b[7] == 1) || (w[7] == 1 && b[7] <= 2);
}

bool Board_0x88::isDraw(u32& reason) {
    reason = DRAW_NONE;
    if (halfMoveClock >= 100) {
        reason = DRAW_FIFTY_MOVES;
        return true;
    }
    if (isInsufficientMaterial()) {
        reason = DRAW_INSUFFICIENT_MATERIAL;
        return true;
    }
    if (halfMoveClock < 4) return false;
    // Same side to move only, and never back across a capture, pawn move or
    // null move (the clock bounds the scan).
    const int n = int(historyIndex);
    const int oldest = n - int(halfMoveClock) > 0 ? n - int(halfMoveClock) : 0;
    HistoryRecord& now = history[n];
    for (int i = n - 4; i >= oldest; i -= 2) {
        if (history[i].key != now.key) continue;
        now.repetitionCount = u16(history[i].repetitionCount + 1);
        if (now.repetitionCount >= 2) reason = DRAW_REPETITION;
        return true;
    }
    return false;
}
