// Basic types shared by every subsystem: squares, colours, piece kinds,
// the 16-bit move word, move lists, history and undo records.
#pragma once

#include <cstdint>

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;
using u64 = std::uint64_t;
using i8 = std::int8_t;
using i16 = std::int16_t;
using i32 = std::int32_t;
using i64 = std::int64_t;

using HashKey = u64;
using Bitboard = u64;

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// a1 = 0, h1 = 7, a8 = 56, h8 = 63; 64 = no square.
using Square = u8;
constexpr Square NO_SQUARE = 64;

enum Color : u8 { WHITE = 0, BLACK = 1, NO_COLOR = 2 };
constexpr Color operator~(Color c) {
    return Color(c ^ 1);
}

enum PieceKind : u8 { EMPTY = 0, PAWN = 1, KNIGHT = 2, BISHOP = 3, ROOK = 4, QUEEN = 5, KING = 6 };

// Letters by kind; upper case for White when a board is printed.
constexpr const char* PIECE_LETTERS = ".pnbrqk";

constexpr int fileOf(int sq) {
    return sq & 7;
}
constexpr int rankOf(int sq) {
    return sq >> 3;
}
constexpr Square makeSquare(int file, int rank) {
    return Square(rank * 8 + file);
}
constexpr Bitboard squareBit(int sq) {
    return Bitboard(1) << sq;
}

// Castling rights bits.
enum CastlingRight : u8 {
    WHITE_KING_SIDE = 1,
    WHITE_QUEEN_SIDE = 2,
    BLACK_KING_SIDE = 4,
    BLACK_QUEEN_SIDE = 8,
};

// ---------------------------------------------------------------------------
// Move: bits 0-5 from, 6-11 to, 12-13 kind, 14-15 promotion piece - 2 /
// castling variant / double-step marker on a normal move. 0 is no move.
using Move = u16;
constexpr Move NO_MOVE = 0;

enum MoveKind : u8 { MOVE_NORMAL = 0, MOVE_PROMOTION = 1, MOVE_CASTLING = 2, MOVE_EN_PASSANT = 3 };

constexpr Square moveFrom(Move m) {
    return Square(m & 63);
}
constexpr Square moveTo(Move m) {
    return Square((m >> 6) & 63);
}
constexpr MoveKind moveKind(Move m) {
    return MoveKind((m >> 12) & 3);
}
constexpr u32 moveExtra(Move m) {
    return u32(m >> 14);
}
constexpr PieceKind promotionKind(Move m) {
    return PieceKind((m >> 14) + 2);
}
constexpr bool isDoubleStep(Move m) {
    return moveKind(m) == MOVE_NORMAL && moveExtra(m) == 1;
}

constexpr Move makeMoveWord(Square from, Square to, u32 kind = MOVE_NORMAL, u32 extra = 0) {
    return Move(from | (to << 6) | (kind << 12) | (extra << 14));
}
constexpr Move makePromotion(Square from, Square to, PieceKind piece) {
    return makeMoveWord(from, to, MOVE_PROMOTION, u32(piece) - 2);
}

// The four castling moves as fixed words (king's from and to squares).
constexpr Move CASTLE_WHITE_KING_SIDE = 8580;    // e1g1, variant 0
constexpr Move CASTLE_WHITE_QUEEN_SIDE = 24708;  // e1c1, variant 1
constexpr Move CASTLE_BLACK_KING_SIDE = 44988;   // e8g8, variant 2
constexpr Move CASTLE_BLACK_QUEEN_SIDE = 61116;  // e8c8, variant 3

// ---------------------------------------------------------------------------
// A list of up to 255 moves. Each slot holds the Move in its low 16 bits and
// a signed 16-bit ordering value in its high 16 bits. Adding to a full list
// does nothing.
struct MoveList {
    static constexpr u32 CAPACITY = 255;
    u32 slots[CAPACITY];
    u32 count;

    void add(Move m) {
        if (count < CAPACITY) slots[count++] = m;
    }
    Move move(u32 i) const { return Move(slots[i] & 0xFFFF); }
    i16 value(u32 i) const { return i16(u16(slots[i] >> 16)); }
    void setValue(u32 i, int v) { slots[i] = (slots[i] & 0xFFFF) | (u32(u16(i16(v))) << 16); }
    void clear() { count = 0; }
};

// Up to two squares of men giving check, in the order recorded.
struct CheckerList {
    u16 count;
    u8 squares[2];

    void add(Square sq) {
        if (count < 2) squares[count++] = sq;
    }
};

struct CheckInfo {
    Bitboard pinnedOrthogonal;
    Bitboard pinnedDiagonal;
    CheckerList checkers;
};

// A middle-game and an end-game value, blended by the game phase 0..24.
struct ScorePair {
    i16 mg;
    i16 eg;
};

struct HistoryRecord {
    HashKey key;
    HashKey pawnKey;
    u16 repetitionCount;
    Move killer1;
    Move killer2;
    Move move;
};

constexpr u32 HISTORY_SIZE = 1024;

// What a make keeps for its unmake.
struct UndoRecord {
    u8 castlingRights;
    u8 epSquare;
    u8 halfMoveClock;
    u32 capturedKind;
};

constexpr UndoRecord clearedUndo() {
    return UndoRecord{0, NO_SQUARE, 0, 0};
}

// Scores in centipawns from the side to move's view.
using Score = i32;
constexpr Score MATE_SCORE = 32000;      // mate in n plies = 32000 - n
constexpr Score MATE_THRESHOLD = 20000;  // beyond this a score is a mate score
constexpr Score TIMEOUT_SCORE = 40000;   // returned by a node once the search stopped

constexpr int MAX_PV_LENGTH = 63;

struct PvLine {
    u32 length;
    Move moves[MAX_PV_LENGTH];
};

// Draw reasons of isDraw.
enum DrawReason : u32 {
    DRAW_NONE = 0,
    DRAW_FIFTY_MOVES = 3,
    DRAW_INSUFFICIENT_MATERIAL = 4,
    DRAW_REPETITION = 5,
};
