// The staged move picker: the move source of a search node, the quiescence
// search, the root list and a perft or divide node. It hands out a stored
// move first (PV move, then a checked hash move) and generates a list only
// when those are used up. The ordered variant scores its lists and hands out
// best first, skipping the stored moves; the unordered variant (perft) hands
// out its list in generation order.
#pragma once

#include "board/board.h"
#include "board/exchange_values.h"

enum PickerKind : i32 {
    PICK_ALL_LEGAL = 0,
    PICK_EVASIONS = 1,
    PICK_FULL_WIDTH = 2,
    PICK_QUIESCENCE = 3,
};

struct MovePicker {
    MoveList moveList;  // high 16 bits of a slot: signed ordering value
    Bitboard pinnedOrthogonal;
    Bitboard pinnedDiagonal;
    CheckerList checkers;
    u32 nextIndex;
    Board* board;
    i32 kind;
    i32 stageIndex;
    u8 stageStarted;
    Move pvMove;
    Move hashMove;

    // Kinds 1 to 3: the checkers come from the caller (the parent's given
    // checks, or the root's own attack test); the pins are computed here.
    void init(i32 pickerKind, Board* b, const CheckerList& givenCheckers, Move pv);
    // Kind 0: pins and checkers both computed here.
    void initLegal(Board* b, Move pv);
    // Back to the first stage; pins, checkers and stored moves stay.
    void restart() {
        moveList.count = 0;
        nextIndex = 0;
        stageIndex = 0;
        stageStarted = 0;
    }

    // The next move in the picker's order; 0 when there is none (for good).
    template <Color Us, bool Ordered = true>
    Move next();
    // Ordered picker of the side to move.
    Move next();

    CheckInfo checkInfo() const { return CheckInfo{pinnedOrthogonal, pinnedDiagonal, checkers}; }
};

// Ordering values of the moves in picker.moveList (side to move Us).
template <Color Us>
void scoreMoves(const Board& board, MovePicker& picker);
// Whether a capture by a man of the side to move is likely to lose material
// (the board's cheap guard test); victimValue receives the material won on
// the square.
template <Color Us>
inline bool isLosingCapture(const Board& board, Move move, i32& victimValue) {
    return board.template isLosingCapture<Us>(move, victimValue);
}
// Whether a stored move (hash table, book, torn entry) is a possible move of
// the side to move Us in this position, but for exposing the own king.
template <Color Us>
inline bool isMovePseudoLegal(const Board& board, Move move) {
    return board.template isMovePseudoLegal<Us>(move);
}
bool isMovePseudoLegal(const Board& board, Move move);  // side to move
void storeKiller(Board& board, Move move);
// The "# hash collision" line of a stored move that is not possible here.
void printHashCollision(const Board& board, Move move);
bool isTactical(const Board& board, Move move);

// Ordering classes by PieceKind.
extern const i32 pieceClassByKind[7];
