// The static evaluation: a tapered score in centipawns from the side to
// move's view, with the pawn hash, the endgame scale factor and the term
// breakdown of the "eval" command.
#pragma once

#include <string>

#include "board/board.h"
#include "eval/pawn_hash.h"

// Nibbles of a material signature, lowest first.
enum SignatureField : u32 {
    SIG_PAWNS = 0,
    SIG_KNIGHTS = 1,
    SIG_BISHOPS = 2,
    SIG_ROOKS = 3,
    SIG_QUEENS = 4,
    SIG_MINORS = 5,  // knights + bishops
    SIG_MAJORS = 6,  // rooks + queens
    SIG_ALL = 7,     // every man but the king
};

constexpr u32 signatureCount(u32 signature, SignatureField field) {
    return (signature >> (4 * field)) & 15;
}

struct MaterialInfo {
    u32 signature[2];  // White first
    u32 evalPhase;     // 0..24: minors 1, rooks 2, queens 4, both colours
    i16 materialMg;    // White's material minus Black's
    i16 materialEg;
    u8 canWin[2];  // whether that side keeps mating material
};

// Fills `info` from the board's bitboards.
void evaluateMaterial(MaterialInfo& info, const Board& board);

// 0..100: how far the score is kept (small drawish endings, the fifty-move rule).
int computeScaleFactor(const Board& board, const MaterialInfo& info);

// Six bits: own pawns one rank ahead of the king on the file towards a, the
// king's file and the file towards h (bits 0-2), two ranks ahead (bits 3-5);
// squares off the board count as set.
u32 kingShieldPattern(Bitboard ownPawns, Square kingSquare, Color colour);

// (mg x phase + eg x (24 - phase)) / 24, truncated toward zero.
constexpr int taper(int mg, int eg, int phase) {
    return (mg * phase + eg * (24 - phase)) / 24;
}

// The static score of the position from the side to move's view. alpha and
// beta serve only the lazy exit. pawnHash may be null (nothing is cached then).
Score evaluate(Board& board, PawnHashTable* pawnHash, Score alpha, Score beta);

// ---------------------------------------------------------------------------
// The term breakdown of the "eval" command.

enum EvalRow : u32 {
    ROW_MATERIAL = 0,
    ROW_PST = 1,
    ROW_PASSED_PAWNS = 2,
    ROW_WEAK_PAWNS = 3,
    ROW_PAWN_STRUCTURE = 4,
    ROW_KNIGHTS = 5,
    ROW_BISHOPS = 6,
    ROW_ROOKS = 7,
    ROW_QUEENS = 8,
    ROW_KING_SAFETY = 9,
    ROW_KING_TROPISM = 10,
    ROW_UNUSED = 11,
    ROW_SIDE_TO_MOVE = 12,
    ROW_KING_EDGE = 13,
    ROW_KING_DISTANCE = 14,
    ROW_BN_CORNER = 15,
    EVAL_ROW_COUNT = 16,
};

struct EvalTermRow {
    i16 whiteMg, whiteEg, blackMg, blackEg;
};

struct EvalBreakdown {
    EvalTermRow rows[EVAL_ROW_COUNT];
    u32 phase;
    int scaleFactor;  // 0..100
    Score total;      // as evaluate() returns it, from the side to move's view

    void add(Color c, EvalRow row, int mg, int eg) {
        EvalTermRow& r = rows[row];
        if (c == WHITE) {
            r.whiteMg = i16(r.whiteMg + mg);
            r.whiteEg = i16(r.whiteEg + eg);
        } else {
            r.blackMg = i16(r.blackMg + mg);
            r.blackEg = i16(r.blackEg + eg);
        }
    }
};

// Evaluates as evaluate() does with the window (-32000, 32000) and records
// every term in `out` (cleared first). Probes and fills the pawn hash like the
// search does, so a hit shows the stored net pawn structure instead of the
// per-side weak-pawn terms.
Score evaluateWithBreakdown(Board& board, PawnHashTable* pawnHash, EvalBreakdown& out);

// The "eval" table of a breakdown, as printed;
// `whiteTotal` is the total from White's view.
std::string formatEvalBreakdown(const EvalBreakdown& breakdown, Score whiteTotal);
