// Move text and the hash-collision trace, for every board.
#include "board/move_text.h"

#include <cstdio>

#include "board/move_picker.h"

void moveToString(Move m, char* buffer) {
    const Square from = moveFrom(m), to = moveTo(m);
    buffer[0] = char('a' + fileOf(from));
    buffer[1] = char('1' + rankOf(from));
    buffer[2] = char('a' + fileOf(to));
    buffer[3] = char('1' + rankOf(to));
    if (moveKind(m) == MOVE_PROMOTION) {
        buffer[4] = PIECE_LETTERS[promotionKind(m)];
        buffer[5] = '\0';
    } else {
        buffer[4] = '\0';
    }
}

bool isSameMove(Move a, Move b) {
    if ((a & 0xFFF) != (b & 0xFFF)) return false;
    const bool promoA = moveKind(a) == MOVE_PROMOTION, promoB = moveKind(b) == MOVE_PROMOTION;
    if (promoA != promoB) return false;
    return !promoA || moveExtra(a) == moveExtra(b);
}

namespace {
// A board without a FEN writer shows no position.
template <class B>
void writeFen(const B& board, char* fen) {
    if constexpr (B::HAS_FEN_WRITER) board.getFEN(fen);
}
}  // namespace

void printHashCollision(const Board& board, Move m) {
    char move[6], fen[90] = "";
    moveToString(m, move);
    writeFen(board, fen);
    std::printf("# hash collision: %5s %s\n", move, fen);
    std::fflush(stdout);
}
