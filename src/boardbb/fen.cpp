// FEN text in and out of the bitboard board.
#include <cstdio>

#include "board/fen_reader.h"
#include "boardbb/board_bb64.h"

namespace {

// The board's own part of the set-up checks: the side not to move must not be
// in check.
bool sideNotToMoveSafe(const FenRecord& rec) {
    Bitboard bb[8] = {};
    for (int sq = 0; sq < 64; ++sq) {
        if (!rec.kinds[sq]) continue;
        bb[rec.kinds[sq] - 1] |= squareBit(sq);
        bb[6 + rec.colors[sq]] |= squareBit(sq);
    }
    const Bitboard occ = bb[6] | bb[7];
    return rec.side == WHITE ? !squareAttackedBy<WHITE>(bb, rec.kingSquare(BLACK), occ, bb[6])
                             : !squareAttackedBy<BLACK>(bb, rec.kingSquare(WHITE), occ, bb[7]);
}

}  // namespace

bool Board_BB64::setFEN(const char* text) {
    initTables();
    FenRecord rec;
    if (!readFen(text, rec) || !sideNotToMoveSafe(rec))
        return false;  // the board keeps its position

    resetBoard();
    for (int sq = 0; sq < 64; ++sq)
        if (rec.kinds[sq])
            addPieceHashed(Square(sq), PieceKind(rec.kinds[sq]), Color(rec.colors[sq]));
    HashKey& key = current().key;
    sideToMove = rec.side;
    if (sideToMove == BLACK) key ^= sideKey;
    castlingRights = rec.rights;
    key ^= castlingChangeKeys[castlingRights];
    epSquare = rec.epSquare;
    if (epSquare != NO_SQUARE) key ^= epFileKeys[epSquare & 7];
    halfMoveClock = rec.halfMoveClock;
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
