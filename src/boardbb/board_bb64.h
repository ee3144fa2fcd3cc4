// The bitboard board of the TalunBB programs. Colour twins are templates on
// the colour of the side that moves (or attacks); a White operation is only
// called while White is to move.
#pragma once

#include "board/board_common.h"
#include "board/move_text.h"
#include "boardbb/magics.h"

class Board_BB64;

// Walks one colour's men kind by kind, from a start kind down to a lowest kind,
// each kind's squares from the lowest square up.
struct PieceIterator {
    static constexpr u32 NONE = 238;  // first() when there is no man
    const Board_BB64* board;
    i32 kind;
    i32 lowestKind;
    u64 remaining;
    u8 square;  // 64 = none

    template <Color C>
    static PieceIterator start(const Board_BB64* b, PieceKind from, PieceKind lowest);
    template <Color C>
    u32 first();
    template <Color C>
    void next();
};

class Board_BB64 : public Board_Common {
   public:
    // ---- what this board offers beyond the common contract (board/board_contract.h)
    static constexpr bool HAS_EVASION_GENERATOR = true;
    static constexpr bool HAS_GIVEN_CHECKS = true;
    static constexpr bool HAS_QUIET_CHECKS = true;
    static constexpr bool MOBILITY_ALONG_RAYS = false;
    static constexpr u8 NO_EP_SQUARE = NO_SQUARE;
    static constexpr bool HAS_FEN_WRITER = true;
    static constexpr bool HAS_RANDOM_POSITIONS = true;
    static constexpr bool LOSING_CAPTURE_SEES_SLIDERS = true;

    using Undo = UndoRecord;
    static constexpr Undo clearedUndo() { return ::clearedUndo(); }

    Bitboard bitboards[8];  // pawns..kings (kind - 1), then all White, all Black
    u8 pieceKinds[64];      // PieceKind, 0 empty
    u8 pieceColors[64];     // Color, 2 empty

    Board_BB64();
    HashKey computeSideHashKey(u32 side) const override;
    HashKey computePawnHashKey() const override;
    ~Board_BB64() override = default;

    // ---- state (board_bb64.cpp)
    void resetBoard();
    // The process-wide tables and the clock seeding, each at most once.
    static void initTables();
    Bitboard pieces(PieceKind k) const { return bitboards[k - 1]; }
    Bitboard pieces(Color c) const { return bitboards[6 + c]; }
    Bitboard pieces(PieceKind k, Color c) const { return bitboards[k - 1] & bitboards[6 + c]; }
    Bitboard occupied() const { return bitboards[6] | bitboards[7]; }
    Square kingSquare(Color c) const { return Square(lowestSquare(pieces(KING, c))); }
    u8 kindAt(Square sq) const { return pieceKinds[sq]; }
    u8 colorAt(Square sq) const { return pieceColors[sq]; }
    u32 menCount(Color c) const { return u32(popCount(pieces(c))); }
    u32 pieceCount(PieceKind k, Color c) const { return u32(popCount(pieces(k, c))); }
    HashKey computeFullKey() const;
    // Debug consistency check: bitboards, arrays, keys and sums agree with a recount.
    bool isConsistent() const;

    void movePiece(Square from, Square to);
    void movePieceHashed(Square from, Square to);
    void removePieceHashed(Square sq);
    void movePieceZobrist(Square from, Square to);
    // Puts a man on an empty square with its key and piece-square value.
    void addPieceHashed(Square sq, PieceKind kind, Color color);
    // Puts a man on an empty square / takes one off: arrays and bitboards only.
    void putPiece(Square sq, PieceKind kind, Color color);
    void clearSquare(Square sq);

    // ---- FEN text in and out (fen.cpp)
    bool setFEN(const char* text);
    void getFEN(char* buffer) const;  // at least 90 characters

    // ---- make and unmake (board_bb64_inline.h)
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
    // Shared body of the full (Full = true) and perft (Full = false) flavours.
    template <Color Us, bool Full>
    void makeMoveImpl(Move m, UndoRecord& undo);
    template <Color Us, bool Full>
    void unmakeMoveImpl(Move m, const UndoRecord& undo);
    void makeNullMove(UndoRecord& undo);
    void unmakeNullMove(const UndoRecord& undo);
    // Dispatch on sideToMove.
    void makeMove(Move m, UndoRecord& undo);
    void unmakeMove(Move m, const UndoRecord& undo);

    // ---- attack tests, legality, check information (board_bb64_inline.h)
    template <Color By>
    bool isAttackedBy(Square sq, CheckerList& checkers) const;
    // The attack test without recording attackers, on a given occupancy (for
    // example with the own king taken off, or a castling king's transit square).
    template <Color By>
    bool isSquareAttacked(Square sq, Bitboard occ) const;
    template <Color Us>
    bool isLegalMove(Move m, const CheckInfo& info);
    template <Color Us>
    bool isLegalMoveFull(Move m);
    template <Color Us>
    void computePins(CheckInfo& info) const;
    template <Color Us>
    void computeCheckInfo(CheckInfo& info) const;  // pins and checkers
    template <Color Us>
    void computeGivenChecks(Move m, CheckerList& checkers) const;
    bool inCheck() const;
    // Whether Us's king stands attacked (false without a king); records the checkers.
    template <Color Us>
    bool isInCheck(CheckerList& checkers) const {
        const Bitboard king = pieces(KING, Us);
        return king && isAttackedBy<~Us>(Square(lowestSquare(king)), checkers);
    }

    // ---- the search's move tests (move_tests.cpp) and quiet checks (quiet_checks.cpp)
    template <Color Us>
    bool isLosingCapture(Move m, i32& victimValue) const;
    template <Color Us>
    bool isMovePseudoLegal(Move m) const;
    template <Color Us>
    void genQuietChecks(MoveList& list);

    // ---- draw test (draw.cpp)
    bool isDraw(u32& reason);
    bool isInsufficientMaterial() const;

    // ---- move generation (movegen.cpp)
    template <Color Us>
    void addMoveIfLegal(MoveList& list, const CheckInfo& info, Square from, u32 to, u32 flags);
    template <Color Us>
    void addPromotionIfLegal(MoveList& list, const CheckInfo& info, Square from, Square to,
                             PieceKind kind);
    template <Color Us>
    void genCaptures(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genQsCaptures(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genQuiets(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genEvasions(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genEnPassant(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genCastlingKingSide(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genCastlingQueenSide(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genAllMoves(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genKnightMovesTo(const CheckInfo& info, Bitboard target, MoveList& list);
    template <Color Us>
    void genKnightCaptures(const CheckInfo& info, MoveList& list);
    template <Color Us>
    void genSliderMovesTo(const CheckInfo& info, Bitboard target, MoveList& list);
    template <Color Us>
    void genPawnPushesTo(const CheckInfo& info, Bitboard target, MoveList& list);
    // The number of legal moves that genAllMoves would write (at most 255),
    // counted without writing most of them: perft's leaf count.
    template <Color Us>
    u32 countLegalMoves(const CheckInfo& info);

    // ---- random positions (random_position.cpp): a sane random position with
    // historyIndex 0, no en-passant square and a zero half-move clock.
    void setRandomPosition();
};

// Hot board operations (make/unmake, attack tests, iterator) are defined
// inline so that the move generators, perft and search inline them.
#include "boardbb/board_bb64_inline.h"

struct TbProbeInput;
// The tablebase probe input of the position with Us to move (tb_input_bb64.cpp).
template <Color Us>
void buildTablebaseProbe(const Board_BB64& board, TbProbeInput& in);
