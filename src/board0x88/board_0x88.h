// The 0x88 board of the Talun programs. Inside, a square is rank * 16 + file,
// so one AND with 0x88 tells a step off the board (file or rank overflow, and
// in 8-bit arithmetic also a step below rank 1). Each colour keeps its men in
// 16 list slots: 0 king, 1 queen, 2-3 rooks, 4-5 bishops, 6-7 knights, 8-15
// pawns (and promoted men, and men beyond their own slots). Moves, keys,
// piece-square tables and pin masks use the 0..63 Square; the arrays, the
// lists, the en-passant square and recorded checkers use the 0x88 number.
// Colour twins are templates on the colour of the side that moves (or
// attacks); a White operation is only called while White is to move.
#pragma once

#include "board/board_common.h"
#include "board/move_text.h"
#include "board/piece_limits.h"

using Square0x88 = u8;

namespace x88 {

// En-passant square "none" of this board (the 0..63 boards use 64).
constexpr u8 NO_EP = 255;
// A list slot that holds no man, and the slot of an empty square.
constexpr u8 EMPTY_SLOT = 255;
constexpr u8 NO_SLOT = 16;

constexpr bool onBoard(u32 sq) {
    return (sq & 0x88) == 0;
}
constexpr Square toSquare(Square0x88 sq) {
    return Square((sq & 7) | ((sq >> 4) << 3));
}
constexpr Square0x88 fromSquare(Square s) {
    return Square0x88((s & 7) | ((s & 0x38) << 1));
}
constexpr Square0x88 moveFrom(Move m) {
    return Square0x88(((m << 1) & 0x70) | (m & 7));
}
constexpr Square0x88 moveTo(Move m) {
    return Square0x88(((m >> 6) & 7) | ((m >> 5) & 0x70));
}
constexpr Move makeMove(Square0x88 from, Square0x88 to, u32 flags = 0) {
    return Move(toSquare(from) | (toSquare(to) << 6) | flags);
}
// The en-passant square as a 0..63 Square, 64 for none.
constexpr Square epAsSquare(u8 ep) {
    return ep == NO_EP ? NO_SQUARE : toSquare(ep);
}
constexpr int rankOf(Square0x88 sq) {
    return sq >> 4;
}

// Steps; attack tests walk them backwards (square minus step).
inline constexpr int diagonalSteps[4] = {15, 17, -15, -17};
inline constexpr int orthogonalSteps[4] = {-1, 16, 1, -16};
inline constexpr int kingSteps[8] = {-1, 16, 1, -16, 15, 17, -15, -17};
inline constexpr int knightSteps[8] = {14, 31, 33, 18, -14, -31, -33, -18};

// Castling rooks by the castling's number (bits 14-15 of the move).
inline constexpr Square0x88 castlingRookFrom[4] = {7, 0, 119, 112};
inline constexpr Square0x88 castlingRookTo[4] = {5, 3, 117, 115};

}  // namespace x88

class Board_0x88;
struct TbProbeInput;

// The tablebase prober's view of the position with Us to move: each side's
// men in list-slot order (king first), squares as 0..63 Squares
// (tb_input_0x88.cpp).
template <Color Us>
void buildTablebaseProbe(const Board_0x88& board, TbProbeInput& input);

// Walks one colour's list slots from a start slot to a last slot (inclusive).
// `kind` names the slot group of the current slot (a promoted man in a pawn
// slot is met with kind 1); the man itself is read from pieceKinds.
struct PieceIterator0x88 {
    static constexpr u32 NONE = 238;  // first() and next() when no man is left
    const u8* list;
    i32 kind;
    u32 start;
    u32 last;
    u32 current;

    // The walk from the start slot; the first man's square, or NONE.
    u32 first();
    // The walk from the slot after the current one.
    u32 next();
};

class Board_0x88 : public Board_Common {
   public:
    // ---- what this board offers beyond the common contract (board/board_contract.h)
    static constexpr bool HAS_EVASION_GENERATOR = false;
    static constexpr bool HAS_GIVEN_CHECKS = false;
    static constexpr bool HAS_QUIET_CHECKS = false;
    static constexpr bool MOBILITY_ALONG_RAYS = true;
    static constexpr u8 NO_EP_SQUARE = x88::NO_EP;
    static constexpr bool HAS_FEN_WRITER = false;
    static constexpr bool HAS_RANDOM_POSITIONS = false;
    static constexpr bool LOSING_CAPTURE_SEES_SLIDERS = false;

    // Captured man as (list slot | kind << 4), 0 for none; the rights and
    // en-passant square in their own fields.
    using Undo = UndoRecord;
    static constexpr Undo clearedUndo() { return Undo{0, x88::NO_EP, 0, 0}; }

    u8 pieceKinds[128];    // PieceKind by 0x88 square, 0 empty
    u8 pieceColors[128];   // Color, 2 empty
    u8 pieceSlots[128];    // list slot of the man, 16 = none
    u8 pieceLists[2][16];  // slot -> 0x88 square, 255 = empty slot
    u8 pieceCounts[2][8];  // [kind] men of each kind, [7] all men of the colour
    // The same men as square sets (bit = Square), kept by the primitives for
    // the evaluation, which walks sets: by kind (both colours), by colour.
    Bitboard kindSets[7];
    Bitboard colorSets[2];

    Board_0x88();
    HashKey computeSideHashKey(u32 side) const override;
    HashKey computePawnHashKey() const override;
    ~Board_0x88() override = default;

    // ---- state (board_0x88.cpp)
    // The process-wide keys and the clock seeding, each at most once.
    static void initTables();
    void resetBoard();
    void clearMen();
    // Refuses (and leaves the board as it was) what the bitboard board refuses,
    // and positions whose men do not fit the piece lists.
    bool setFEN(const char* text);
    HashKey computeFullKey() const;
    // Debug consistency check: arrays, lists, counts, keys and sums agree.
    bool isConsistent() const;
    Square0x88 kingSquare0x88(Color c) const { return pieceLists[c][0]; }
    Square kingSquare(Color c) const { return x88::toSquare(pieceLists[c][0]); }
    u8 kindAt(Square s) const { return pieceKinds[x88::fromSquare(s)]; }
    u8 colorAt(Square s) const { return pieceColors[x88::fromSquare(s)]; }
    u32 menCount(Color c) const { return pieceCounts[c][7]; }
    u32 pieceCount(PieceKind k, Color c) const { return pieceCounts[c][k]; }
    // Square sets (bit = Square), for the evaluation.
    Bitboard pieces(PieceKind k, Color c) const { return kindSets[k] & colorSets[c]; }
    Bitboard pieces(Color c) const { return colorSets[c]; }
    Bitboard pieces(PieceKind k) const { return kindSets[k]; }
    Bitboard occupied() const { return colorSets[WHITE] | colorSets[BLACK]; }
    PieceIterator0x88 iterator(Color c, u32 firstSlot = 0, u32 lastSlot = 15) const;
    bool isDraw(u32& reason);
    bool isInsufficientMaterial() const;
    // Adds the pawns of colour C to eight file counters and a Square bit mask.
    template <Color C>
    void scanPawnFiles(u8* fileCounts, Bitboard& pawnMask) const;

    // ---- placement primitives (board_0x88_inline.h)
    // false when the man gets no slot (the board is then unchanged).
    bool addPiece(Square0x88 sq, PieceKind kind, Color color);
    void putPiece(Square0x88 sq, PieceKind kind, Color color, u32 slot);
    void movePiece(Square0x88 from, Square0x88 to);
    void movePieceHashed(Square0x88 from, Square0x88 to);
    void removePieceHashed(Square0x88 sq);
    void movePieceZobrist(Square0x88 from, Square0x88 to);
    void removePieceZobrist(Square0x88 sq);
    // The bare movers keep the square sets unless Sets is false (the bare
    // make of a legality trial, which only reads the arrays and the lists).
    template <bool Sets = true>
    void movePieceBare(Square0x88 from, Square0x88 to);
    // The square sets: a man appears or goes; a man changes its kind.
    void toggleSets(Square0x88 sq, u32 kind, u32 color);
    void changeKindSets(Square0x88 sq, u32 from, u32 to);
    // Takes a man off (arrays, list slot, counts) and returns (slot | kind << 4).
    template <bool Sets = true>
    u32 takeOffBare(Square0x88 sq);
    // Puts back what takeOffBare returned: arrays, list slot, counts.
    template <bool Sets = true>
    void putBackBare(Square0x88 sq, u32 captured, Color color);

    // ---- make and unmake (board_0x88_inline.h)
    template <Color Us>
    void makeMove(Move m, UndoRecord& undo);
    template <Color Us>
    void unmakeMove(Move m, const UndoRecord& undo);
    template <Color Us>
    void makeMovePerft(Move m, UndoRecord& undo);
    template <Color Us>
    void unmakeMovePerft(Move m, const UndoRecord& undo);
    template <Color Us>
    void makeMoveBare(Move m, UndoRecord& undo);
    template <Color Us>
    void unmakeMoveBare(Move m, const UndoRecord& undo);
    template <Color Us, bool Full>
    void makeMoveImpl(Move m, UndoRecord& undo);
    template <Color Us, bool Full>
    void unmakeMoveImpl(Move m, const UndoRecord& undo);
    void makeNullMove(UndoRecord& undo);
    void unmakeNullMove(const UndoRecord& undo);
    void makeMove(Move m, UndoRecord& undo);  // dispatch on sideToMove
    void unmakeMove(Move m, const UndoRecord& undo);

    // ---- attack tests, pins, legality (board_0x88_inline.h)
    // The first attacker of colour By on sq, or -1.
    template <Color By>
    int firstAttacker(Square0x88 sq) const;
    // Appends the first attacker found (while the list holds fewer than two).
    template <Color By>
    bool isAttackedBy(Square0x88 sq, CheckerList& checkers) const;
    // Records the first attacker found as the only one.
    template <Color By>
    bool isSquareAttacked(Square0x88 sq, CheckerList& checkers) const;
    template <Color Us>
    Bitboard computePinnedOrthogonal() const;
    template <Color Us>
    Bitboard computePinnedDiagonal() const;
    template <Color Us>
    void computePins(CheckInfo& info) const;
    template <Color Us>
    void computeCheckInfo(CheckInfo& info) const;  // pins and one checker
    bool inCheck() const;
    // Whether C's king is attacked; records the first attacker found.
    template <Color C>
    bool isInCheck(CheckerList& checkers) const {
        return isAttackedBy<Color(C ^ 1)>(pieceLists[C][0], checkers);
    }
    // The number of moves genAllMoves would append (perft's leaf count);
    // moves that need no trial are counted without being written
    // (movegen_0x88.cpp).
    template <Color Us>
    u32 countLegalMoves(const CheckInfo& info);
    template <Color Us>
    bool isLegalMove(Move m, const CheckInfo& info);
    template <Color Us>
    bool isLegalMoveFull(Move m);
    // Bare make, attack test of the own king, bare unmake.
    template <Color Us>
    bool leavesKingSafe(Move m);

    // ---- move generation (movegen_0x88.cpp)
    template <Color Us>
    void addMoveIfLegal(MoveList& list, const CheckInfo& info, Square0x88 from, Square0x88 to,
                        u32 flag);
    template <Color Us>
    void addPromotionIfLegal(MoveList& list, const CheckInfo& info, Square0x88 from, Square0x88 to,
                             PieceKind kind);
    template <Color Us>
    void genPromotionsFrom(const CheckInfo& info, Square0x88 from, MoveList& list);
    template <Color Us>
    void genAllMoves(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genCaptures(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genQsCaptures(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genQuiets(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genEnPassant(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genCastling(const CheckInfo& info, MoveList& list);

    // ---- tests of the move picker (movegen_0x88.cpp)
    // Whether a capture is likely to lose material; looks only at guarding
    // pawns and (for heavy attackers) knights. victimValue gets what is won.
    template <Color Us>
    bool isLosingCapture(Move m, i32& victimValue) const;
    // Whether a stored move is a possible move of Us here, but for exposing
    // the own king.
    template <Color Us>
    bool isMovePseudoLegal(Move m) const;

    enum GenMode { GEN_ALL, GEN_CAPTURES, GEN_QS_CAPTURES, GEN_QUIETS };
    template <Color Us, GenMode Mode>
    void genPieceMoves(const CheckInfo& info, MoveList& list);
    // One man's moves (the man on `from`), each tried when `trial` is set.
    template <Color Us, GenMode Mode>
    void genManMoves(const CheckInfo& info, Square0x88 from, bool trial, MoveList& list);
    // The moves of the slider on `from` (not pinned, side not in check).
    template <Color Us>
    u32 countSliderMoves(Square0x88 from) const;
    template <Color Us, GenMode Mode>
    void genPawnMoves(const CheckInfo& info, Square0x88 from, bool trial, MoveList& list);
};

#include "board0x88/board_0x88_inline.h"
