// Random positions for "randpos": random material from the start set, placed
// with a few plausibility rules, drawn again until the position is sane.
#include <cassert>
#include <cstdlib>

#include "boardbb/board_bb64.h"

namespace {

constexpr int START_SET[7] = {0, 8, 2, 2, 2, 1, 1};  // men per colour, by PieceKind
constexpr Bitboard LIGHT_SQUARES = 0x55AA55AA55AA55AAull;
constexpr Bitboard DARK_SQUARES = 0xAA55AA55AA55AA55ull;
constexpr Bitboard FILE_A_RANKS_2_TO_7 = 0x0001010101010100ull;

// Squares where a man may be put: any square, a bishop on its square colour,
// pawn number k on its own file between ranks 2 and 7.
Bitboard allowedSquares(PieceKind kind, Color color, int k) {
    if (kind == PAWN) return FILE_A_RANKS_2_TO_7 << k;
    if (kind == BISHOP) return ((color + k) % 2 == 0) ? DARK_SQUARES : LIGHT_SQUARES;
    return ~Bitboard(0);
}

// Draws squares until one is empty and allowed; the caller makes sure one exists.
Square drawSquare(const Board_BB64& board, Bitboard allowed) {
    for (;;) {
        const int sq = std::rand() & 63;
        if ((allowed & squareBit(sq)) && board.pieceKinds[sq] == EMPTY) return Square(sq);
    }
}

// Places one colour's men; returns the number of pawns left out for want of room.
int placeMen(Board_BB64& board, Color color) {
    int leftOut = 0;
    for (int kind = PAWN; kind <= KING; ++kind) {
        for (int k = 0; k < START_SET[kind]; ++k) {
            if (kind != KING && (std::rand() & 1) == 0) continue;
            PieceKind placed = PieceKind(kind);
            if (kind == PAWN && (std::rand() & 31) == 0) placed = QUEEN;
            const Bitboard allowed = allowedSquares(placed, color, k);
            if (!(allowed & ~board.occupied())) {  // only a pawn's file can be full
                leftOut += k;
                continue;
            }
            board.addPieceHashed(drawSquare(board, allowed), placed, color);
        }
    }
    return leftOut;
}

// A right is given with chance three in four when its king and rook are at home.
void drawCastlingRights(Board_BB64& board) {
    auto has = [&](int sq, PieceKind kind, Color color) {
        return board.pieceKinds[sq] == kind && board.pieceColors[sq] == color;
    };
    auto grant = [&](int rookSquare, Color color, u8 right) {
        if (has(rookSquare, ROOK, color) && (std::rand() & 3) != 3) board.castlingRights |= right;
    };
    if (has(4, KING, WHITE)) {
        grant(7, WHITE, WHITE_KING_SIDE);
        grant(0, WHITE, WHITE_QUEEN_SIDE);
    }
    if (has(60, KING, BLACK)) {
        grant(63, BLACK, BLACK_KING_SIDE);
        grant(56, BLACK, BLACK_QUEEN_SIDE);
    }
}

// The side to move may be in check, but only by one man, or by two that can
// give check together: a diagonal and a line attacker, or a slider and a pawn
// or knight.
bool isPlausibleCheck(const Board_BB64& board, Color us) {
    const Color them = ~us;
    const Square king = board.kingSquare(us);
    const Bitboard occ = board.occupied();
    const Bitboard queens = board.pieces(QUEEN, them);
    const int leapers = popCount((pawnAttacks[us][king] & board.pieces(PAWN, them)) |
                                 (knightAttacks[king] & board.pieces(KNIGHT, them)));
    const int diagonal = popCount(bishopAttacks(king, occ) & (board.pieces(BISHOP, them) | queens));
    const int line = popCount(rookAttacks(king, occ) & (board.pieces(ROOK, them) | queens));
    const int total = leapers + diagonal + line;
    if (total > 2) return false;
    return total < 2 || (diagonal == 1 && line == 1) || (leapers == 1);
}

bool isSane(const Board_BB64& board, const int leftOut[2]) {
    const Color us = Color(board.sideToMove), them = ~us;
    CheckerList checkers{};
    const bool themInCheck = us == WHITE
                                 ? board.isAttackedBy<WHITE>(board.kingSquare(BLACK), checkers)
                                 : board.isAttackedBy<BLACK>(board.kingSquare(WHITE), checkers);
    if (themInCheck) return false;
    if (kingAttacks[board.kingSquare(us)] & board.pieces(KING, them)) return false;
    if (!isPlausibleCheck(board, us)) return false;
    return popCount(board.pieces(BLACK)) + leftOut[WHITE] <= 16 &&
           popCount(board.pieces(WHITE)) + leftOut[BLACK] <= 16;
}

}  // namespace

void Board_BB64::setRandomPosition() {
    for (;;) {
        resetBoard();
        int leftOut[2];
        leftOut[WHITE] = placeMen(*this, WHITE);
        leftOut[BLACK] = placeMen(*this, BLACK);
        sideToMove = u8(std::rand() & 1);
        drawCastlingRights(*this);
        if (isSane(*this, leftOut)) break;
    }
    // The men's keys are in; the side and castling keys complete the position
    // key, so that it equals the key the same position gets from its FEN.
    HashKey& key = current().key;
    if (sideToMove == BLACK) key ^= sideKey;
    key ^= castlingChangeKeys[castlingRights];
    perftKeys[perftKeyCount] = key;
    assert(isConsistent());
}
