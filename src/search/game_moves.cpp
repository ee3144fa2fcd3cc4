// Game-level legal moves: the list of the game position, move parsing and
// the random move of random games.
#include "search/game_moves.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "search/chess_player.h"

namespace {

template <Color Us>
void generateFor(Board& board, MoveList& list, bool& inCheck) {
    CheckInfo info{};
    board.template computeCheckInfo<Us>(info);
    // En passant, captures, quiet moves, then castling when not in check on the
    // bitboard board; each board's own order otherwise.
    board.template genAllMoves<Us>(info, list);
    inCheck = info.checkers.count != 0;
}

// Promotion piece of a letter (either case), EMPTY for none, 255 for a bad letter.
u8 promotionOfLetter(char c) {
    switch (std::tolower(static_cast<unsigned char>(c))) {
        case 'q':
            return QUEEN;
        case 'r':
            return ROOK;
        case 'b':
            return BISHOP;
        case 'n':
            return KNIGHT;
        default:
            return 255;
    }
}

bool readSquare(const char* text, Square& sq) {
    const int file = std::tolower(static_cast<unsigned char>(text[0])) - 'a';
    const int rank = text[1] - '1';
    if (file < 0 || file > 7 || rank < 0 || rank > 7) return false;
    sq = makeSquare(file, rank);
    return true;
}

}  // namespace

void generateLegalMoves(Board& board, MoveList& list, bool& inCheck) {
    std::memset(&list, 0, sizeof list);
    inCheck = false;
    if (board.sideToMove == WHITE)
        generateFor<WHITE>(board, list, inCheck);
    else if (board.sideToMove == BLACK)
        generateFor<BLACK>(board, list, inCheck);
}

bool parseMove(Board& board, const char* text, Move& move) {
    // Each character is looked at only when all before it exist.
    if (!text || !text[0] || !text[1] || !text[2] || !text[3]) return false;
    u8 wanted = EMPTY;
    if (text[4] != '\0') {
        wanted = promotionOfLetter(text[4]);
        if (wanted == 255) return false;
    }
    Square from, to;
    if (!readSquare(text, from) || !readSquare(text + 2, to)) return false;
    MoveList list;
    bool inCheck;
    generateLegalMoves(board, list, inCheck);
    for (u32 i = 0; i < list.count; ++i) {
        const Move m = list.move(i);
        const u8 promoted = moveKind(m) == MOVE_PROMOTION ? u8(promotionKind(m)) : u8(EMPTY);
        if (moveFrom(m) == from && moveTo(m) == to && promoted == wanted) {
            move = m;
            return true;
        }
    }
    return false;
}

bool randomLegalMove(Board& board, Move& move) {
    MoveList list;
    bool inCheck;
    generateLegalMoves(board, list, inCheck);
    if (list.count == 0) return false;
    move = list.move(u32(std::rand()) % list.count);
    return true;
}

void ChessPlayer::generateLegalMoves(MoveList& list, bool& inCheck) {
    ::generateLegalMoves(*board, list, inCheck);
}

bool ChessPlayer::parseMove(const char* text, Move& move) {
    return ::parseMove(*board, text, move);
}
