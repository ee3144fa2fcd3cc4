// Board_0x88 state: construction, FEN set-up, keys from scratch, the piece
// iterator, the pawn-file scan, the draw test and the consistency check.
#include "board0x88/board_0x88.h"

#include <cstring>
#include <mutex>

#include "board/fen_reader.h"

namespace {
std::once_flag clockSeedOnce;
}

Board_0x88::Board_0x88() {
    clearMen();
    epSquare = x88::NO_EP;
}

// An empty board: no man on any square, in any list or count or set.
void Board_0x88::clearMen() {
    std::memset(pieceKinds, EMPTY, sizeof pieceKinds);
    std::memset(pieceColors, NO_COLOR, sizeof pieceColors);
    std::memset(pieceSlots, x88::NO_SLOT, sizeof pieceSlots);
    std::memset(pieceLists, x88::EMPTY_SLOT, sizeof pieceLists);
    std::memset(pieceCounts, 0, sizeof pieceCounts);
    std::memset(kindSets, 0, sizeof kindSets);
    std::memset(colorSets, 0, sizeof colorSets);
}

void Board_0x88::initTables() {
    initAttackTables();
    initZobristKeys();
    // The keys are drawn first, so they never depend on the clock.
    std::call_once(clockSeedOnce, seedRandomFromClock);
}

void Board_0x88::resetBoard() {
    initTables();
    clearMen();
    std::memset(pstSums, 0, sizeof pstSums);
    historyIndex = 0;
    history[0] = HistoryRecord{};
    castlingRights = 0;
    epSquare = x88::NO_EP;
    halfMoveClock = 0;
    sideToMove = NO_COLOR;
}

// ---------------------------------------------------------------------------
// FEN set-up. The shared reader checks the text as a whole before the board is
// touched, so a refused text leaves the board as it was.

namespace {

// The board's own part of the set-up checks: the side not to move must not be
// in check.
bool sideNotToMoveSafe(const FenRecord& rec) {
    u8 kinds[128], colors[128];
    std::memset(kinds, EMPTY, sizeof kinds);
    std::memset(colors, NO_COLOR, sizeof colors);
    for (int sq = 0; sq < 64; ++sq) {
        kinds[x88::fromSquare(Square(sq))] = rec.kinds[sq];
        colors[x88::fromSquare(Square(sq))] = rec.colors[sq];
    }
    const Color them = Color(rec.side ^ 1);
    const Square0x88 king = x88::fromSquare(rec.kingSquare(them));
    return rec.side == WHITE ? x88::firstAttackerOn<WHITE>(kinds, colors, king) < 0
                             : x88::firstAttackerOn<BLACK>(kinds, colors, king) < 0;
}

}  // namespace

bool Board_0x88::setFEN(const char* text) {
    initTables();
    FenRecord rec;
    if (!readFen(text, rec) || !sideNotToMoveSafe(rec))
        return false;  // the board keeps its position

    resetBoard();
    // FEN order (a8 onwards) fixes the slot order, and with it the order of
    // every walk of the lists and of move generation.
    for (int rank = 7; rank >= 0; --rank)
        for (int file = 0; file < 8; ++file) {
            const Square sq = makeSquare(file, rank);
            if (rec.kinds[sq] == EMPTY) continue;
            [[maybe_unused]] const bool placed =
                addPiece(x88::fromSquare(sq), PieceKind(rec.kinds[sq]), Color(rec.colors[sq]));
            assert(placed);  // the reader checked that every man has a slot
        }
    HashKey& key = current().key;
    sideToMove = rec.side;
    if (sideToMove == BLACK) key ^= sideKey;
    castlingRights = rec.rights;
    key ^= castlingChangeKeys[castlingRights];
    epSquare = rec.epSquare == NO_SQUARE ? x88::NO_EP : x88::fromSquare(rec.epSquare);
    if (epSquare != x88::NO_EP) key ^= epFileKeys[epSquare & 7];
    halfMoveClock = rec.halfMoveClock;
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
    return isDrawByRule(isInsufficientMaterial(), reason);
}
