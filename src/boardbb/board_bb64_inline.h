// Inline definitions of the hot Board_BB64 operations: the piece movers, the
// three make/unmake flavours, the attack tests, legality, pins and given
// checks, and the piece iterator. Included at the end of board_bb64.h.
#pragma once

#include <cassert>

#include "board/piece_square.h"
#include "boardbb/board_bb64.h"

namespace bb64 {

// Piece-square sums are 16-bit pairs; they wrap exactly like a recount would.
inline void addScore(ScorePair& sum, const ScorePair& v) {
    sum.mg = i16(sum.mg + v.mg);
    sum.eg = i16(sum.eg + v.eg);
}
inline void subScore(ScorePair& sum, const ScorePair& v) {
    sum.mg = i16(sum.mg - v.mg);
    sum.eg = i16(sum.eg - v.eg);
}

// Rook squares of the four castlings, by the castling's number.
inline constexpr Square CASTLING_ROOK_FROM[4] = {7, 0, 63, 56};
inline constexpr Square CASTLING_ROOK_TO[4] = {5, 3, 61, 59};

}  // namespace bb64

// ---------------------------------------------------------------------------
// Piece movers

inline void Board_BB64::putPiece(Square sq, PieceKind kind, Color color) {
    const Bitboard b = squareBit(sq);
    bitboards[kind - 1] |= b;
    bitboards[6 + color] |= b;
    pieceKinds[sq] = kind;
    pieceColors[sq] = color;
}

inline void Board_BB64::clearSquare(Square sq) {
    assert(pieceKinds[sq] != EMPTY);
    const Bitboard b = ~squareBit(sq);
    bitboards[pieceKinds[sq] - 1] &= b;
    bitboards[6 + pieceColors[sq]] &= b;
    pieceKinds[sq] = EMPTY;
    pieceColors[sq] = NO_COLOR;
}

inline void Board_BB64::movePiece(Square from, Square to) {
    const u32 kind = pieceKinds[from], color = pieceColors[from];
    assert(kind != EMPTY && !(occupied() & squareBit(to)));
    const Bitboard fromTo = squareBit(from) | squareBit(to);
    bb64::subScore(pstSums[color], pieceSquareTable[color][kind - 1][from]);
    bb64::addScore(pstSums[color], pieceSquareTable[color][kind - 1][to]);
    bitboards[kind - 1] ^= fromTo;
    bitboards[6 + color] ^= fromTo;
    pieceKinds[to] = u8(kind);
    pieceColors[to] = u8(color);
    pieceKinds[from] = EMPTY;
    pieceColors[from] = NO_COLOR;
}

inline void Board_BB64::movePieceHashed(Square from, Square to) {
    const u32 kind = pieceKinds[from], color = pieceColors[from];
    const HashKey change = pieceKeys[color][kind - 1][from] ^ pieceKeys[color][kind - 1][to];
    current().key ^= change;
    if (kind == PAWN) current().pawnKey ^= change;
    movePiece(from, to);
}

inline void Board_BB64::removePieceHashed(Square sq) {
    const u32 kind = pieceKinds[sq], color = pieceColors[sq];
    current().key ^= pieceKeys[color][kind - 1][sq];
    if (kind == PAWN) current().pawnKey ^= pieceKeys[color][kind - 1][sq];
    bb64::subScore(pstSums[color], pieceSquareTable[color][kind - 1][sq]);
    clearSquare(sq);
}

inline void Board_BB64::addPieceHashed(Square sq, PieceKind kind, Color color) {
    current().key ^= pieceKeys[color][kind - 1][sq];
    if (kind == PAWN) current().pawnKey ^= pieceKeys[color][kind - 1][sq];
    bb64::addScore(pstSums[color], pieceSquareTable[color][kind - 1][sq]);
    putPiece(sq, kind, color);
}

inline void Board_BB64::movePieceZobrist(Square from, Square to) {
    const u32 kind = pieceKinds[from], color = pieceColors[from];
    const Bitboard fromTo = squareBit(from) | squareBit(to);
    perftKeys[perftKeyCount] ^= pieceKeys[color][kind - 1][from] ^ pieceKeys[color][kind - 1][to];
    bitboards[kind - 1] ^= fromTo;
    bitboards[6 + color] ^= fromTo;
    pieceKinds[to] = u8(kind);
    pieceColors[to] = u8(color);
    pieceKinds[from] = EMPTY;
    pieceColors[from] = NO_COLOR;
}

// ---------------------------------------------------------------------------
// Full and perft make/unmake share one body: `Full` keeps the history, pawn
// key, piece-square sums and half-move clock; the perft flavour keeps only the
// key on the perft key stack.

template <Color Us, bool Full>
inline void Board_BB64::makeMoveImpl(Move m, UndoRecord& undo) {
    constexpr Color Them = Color(Us ^ 1);
    const Square from = moveFrom(m), to = moveTo(m);
    const u32 mover = pieceKinds[from];
    assert(pieceColors[from] == Us && sideToMove == Us);

    HashKey key, pawnKey = 0;
    if constexpr (Full) {
        assert(historyIndex + 1 < HISTORY_SIZE);
        key = history[historyIndex].key;
        pawnKey = history[historyIndex].pawnKey;
    } else {
        assert(perftKeyCount + 1 < 64);
        key = perftKeys[perftKeyCount];
    }
    key ^= sideKey;

    undo.castlingRights = castlingRights;
    undo.epSquare = epSquare;
    undo.halfMoveClock = halfMoveClock;
    undo.capturedKind = pieceKinds[to];
    if (epSquare != NO_SQUARE) key ^= epFileKeys[epSquare & 7];
    epSquare = NO_SQUARE;

    // Takes a man of the other side off (victim), with its key and value.
    auto takeOff = [&](Square sq, u32 kind) {
        key ^= pieceKeys[Them][kind - 1][sq];
        if constexpr (Full) {
            if (kind == PAWN) pawnKey ^= pieceKeys[Them][PAWN - 1][sq];
            bb64::subScore(pstSums[Them], pieceSquareTable[Them][kind - 1][sq]);
        }
        const Bitboard b = squareBit(sq);
        bitboards[kind - 1] ^= b;
        bitboards[6 + Them] ^= b;
        pieceKinds[sq] = EMPTY;
        pieceColors[sq] = NO_COLOR;
    };
    // Moves one of our men (of the given kind) to an empty square.
    auto shift = [&](Square a, Square b, u32 kind) {
        key ^= pieceKeys[Us][kind - 1][a] ^ pieceKeys[Us][kind - 1][b];
        if constexpr (Full) {
            if (kind == PAWN) pawnKey ^= pieceKeys[Us][PAWN - 1][a] ^ pieceKeys[Us][PAWN - 1][b];
            bb64::subScore(pstSums[Us], pieceSquareTable[Us][kind - 1][a]);
            bb64::addScore(pstSums[Us], pieceSquareTable[Us][kind - 1][b]);
        }
        const Bitboard ab = squareBit(a) | squareBit(b);
        bitboards[kind - 1] ^= ab;
        bitboards[6 + Us] ^= ab;
        pieceKinds[b] = u8(kind);
        pieceColors[b] = Us;
        pieceKinds[a] = EMPTY;
        pieceColors[a] = NO_COLOR;
    };
    // The clock saturates at 255 rather than wrapping back to a small count.
    auto tick = [&] {
        if constexpr (Full) halfMoveClock = u8(halfMoveClock + (halfMoveClock < 255));
    };
    auto resetClock = [&] {
        if constexpr (Full) halfMoveClock = 0;
    };

    switch (moveKind(m)) {
        case MOVE_NORMAL:
            if (undo.capturedKind) {
                takeOff(to, undo.capturedKind);
                resetClock();
            } else if (mover == PAWN) {
                resetClock();
            } else {
                tick();
            }
            shift(from, to, mover);
            if (moveExtra(m) == 1 && (epNeighbours[to] & pieces(PAWN, Them))) {
                epSquare = Square(to - pawnDirection[Us]);
                key ^= epFileKeys[to & 7];
            }
            break;
        case MOVE_PROMOTION: {
            if (undo.capturedKind) takeOff(to, undo.capturedKind);
            const u32 piece = promotionKind(m);
            shift(from, to, PAWN);
            key ^= pieceKeys[Us][PAWN - 1][to] ^ pieceKeys[Us][piece - 1][to];
            if constexpr (Full) {
                pawnKey ^= pieceKeys[Us][PAWN - 1][to];
                bb64::subScore(pstSums[Us], pieceSquareTable[Us][PAWN - 1][to]);
                bb64::addScore(pstSums[Us], pieceSquareTable[Us][piece - 1][to]);
            }
            bitboards[PAWN - 1] ^= squareBit(to);
            bitboards[piece - 1] ^= squareBit(to);
            pieceKinds[to] = u8(piece);
            resetClock();
            break;
        }
        case MOVE_CASTLING: {
            const u32 variant = moveExtra(m);
            shift(from, to, KING);
            shift(bb64::CASTLING_ROOK_FROM[variant], bb64::CASTLING_ROOK_TO[variant], ROOK);
            tick();
            break;
        }
        case MOVE_EN_PASSANT:
            undo.capturedKind = PAWN;
            takeOff(Square(to - pawnDirection[Us]), PAWN);
            shift(from, to, PAWN);
            resetClock();
            break;
    }

    // A right goes when its king or rook leaves home or the rook is taken there.
    const u32 rights = castlingRights & CASTLING_KEEP.keep[from] & CASTLING_KEEP.keep[to];
    key ^= castlingChangeKeys[castlingRights ^ rights];
    castlingRights = u8(rights);
    sideToMove = Them;

    if constexpr (Full) {
        HistoryRecord& next = history[++historyIndex];
        next.key = key;
        next.pawnKey = pawnKey;
        next.repetitionCount = 0;
        assert(isConsistent());
    } else {
        perftKeys[++perftKeyCount] = key;
    }
}

template <Color Us, bool Full>
inline void Board_BB64::unmakeMoveImpl(Move m, const UndoRecord& undo) {
    constexpr Color Them = Color(Us ^ 1);
    const Square from = moveFrom(m), to = moveTo(m);

    auto shift = [&](Square a, Square b, u32 kind) {
        if constexpr (Full) {
            bb64::subScore(pstSums[Us], pieceSquareTable[Us][kind - 1][a]);
            bb64::addScore(pstSums[Us], pieceSquareTable[Us][kind - 1][b]);
        }
        const Bitboard ab = squareBit(a) | squareBit(b);
        bitboards[kind - 1] ^= ab;
        bitboards[6 + Us] ^= ab;
        pieceKinds[b] = u8(kind);
        pieceColors[b] = Us;
        pieceKinds[a] = EMPTY;
        pieceColors[a] = NO_COLOR;
    };
    auto putBack = [&](Square sq, u32 kind) {
        if constexpr (Full) bb64::addScore(pstSums[Them], pieceSquareTable[Them][kind - 1][sq]);
        const Bitboard b = squareBit(sq);
        bitboards[kind - 1] |= b;
        bitboards[6 + Them] |= b;
        pieceKinds[sq] = u8(kind);
        pieceColors[sq] = Them;
    };

    sideToMove = Us;
    switch (moveKind(m)) {
        case MOVE_NORMAL:
            shift(to, from, pieceKinds[to]);
            if (undo.capturedKind) putBack(to, undo.capturedKind);
            break;
        case MOVE_PROMOTION: {
            const u32 piece = pieceKinds[to];
            if constexpr (Full) {
                bb64::subScore(pstSums[Us], pieceSquareTable[Us][piece - 1][to]);
                bb64::addScore(pstSums[Us], pieceSquareTable[Us][PAWN - 1][to]);
            }
            bitboards[piece - 1] ^= squareBit(to);
            bitboards[PAWN - 1] ^= squareBit(to);
            pieceKinds[to] = PAWN;
            shift(to, from, PAWN);
            if (undo.capturedKind) putBack(to, undo.capturedKind);
            break;
        }
        case MOVE_CASTLING: {
            const u32 variant = moveExtra(m);
            shift(to, from, KING);
            shift(bb64::CASTLING_ROOK_TO[variant], bb64::CASTLING_ROOK_FROM[variant], ROOK);
            break;
        }
        case MOVE_EN_PASSANT:
            shift(to, from, PAWN);
            putBack(Square(to - pawnDirection[Us]), PAWN);
            break;
    }
    castlingRights = undo.castlingRights;
    epSquare = undo.epSquare;
    halfMoveClock = undo.halfMoveClock;
    if constexpr (Full) {
        --historyIndex;
        assert(isConsistent());
    } else {
        --perftKeyCount;
    }
}

template <Color Us>
inline void Board_BB64::makeMove(Move m, UndoRecord& undo) {
    makeMoveImpl<Us, true>(m, undo);
}
template <Color Us>
inline void Board_BB64::unmakeMove(Move m, const UndoRecord& undo) {
    unmakeMoveImpl<Us, true>(m, undo);
}
template <Color Us>
inline void Board_BB64::makeMovePerft(Move m, UndoRecord& undo) {
    makeMoveImpl<Us, false>(m, undo);
}
template <Color Us>
inline void Board_BB64::unmakeMovePerft(Move m, const UndoRecord& undo) {
    unmakeMoveImpl<Us, false>(m, undo);
}

inline void Board_BB64::makeMove(Move m, UndoRecord& undo) {
    if (sideToMove == WHITE)
        makeMove<WHITE>(m, undo);
    else
        makeMove<BLACK>(m, undo);
}

// Called on the position the make produced, so the mover is the side not to move.
inline void Board_BB64::unmakeMove(Move m, const UndoRecord& undo) {
    if (sideToMove == BLACK)
        unmakeMove<WHITE>(m, undo);
    else
        unmakeMove<BLACK>(m, undo);
}

// ---------------------------------------------------------------------------
// Bare make: the men and the side to move only.

template <Color Us>
inline void Board_BB64::makeMoveBare(Move m, UndoRecord& undo) {
    constexpr Color Them = Color(Us ^ 1);
    const Square from = moveFrom(m), to = moveTo(m);
    const u32 mover = pieceKinds[from];
    const u32 captured = pieceKinds[to];
    undo.capturedKind = captured;
    const Bitboard toBit = squareBit(to), fromTo = squareBit(from) | toBit;
    switch (moveKind(m)) {
        case MOVE_NORMAL:
            if (captured) {
                bitboards[captured - 1] ^= toBit;
                bitboards[6 + Them] ^= toBit;
            }
            bitboards[mover - 1] ^= fromTo;
            bitboards[6 + Us] ^= fromTo;
            pieceKinds[to] = u8(mover);
            break;
        case MOVE_PROMOTION: {
            if (captured) {
                bitboards[captured - 1] ^= toBit;
                bitboards[6 + Them] ^= toBit;
            }
            const u32 piece = promotionKind(m);
            bitboards[PAWN - 1] ^= squareBit(from);
            bitboards[piece - 1] ^= toBit;
            bitboards[6 + Us] ^= fromTo;
            pieceKinds[to] = u8(piece);
            break;
        }
        case MOVE_CASTLING: {
            const u32 variant = moveExtra(m);
            const Square rookFrom = bb64::CASTLING_ROOK_FROM[variant];
            const Square rookTo = bb64::CASTLING_ROOK_TO[variant];
            const Bitboard rookMove = squareBit(rookFrom) | squareBit(rookTo);
            bitboards[KING - 1] ^= fromTo;
            bitboards[ROOK - 1] ^= rookMove;
            bitboards[6 + Us] ^= fromTo ^ rookMove;
            pieceKinds[to] = KING;
            pieceKinds[rookTo] = ROOK;
            pieceColors[rookTo] = Us;
            pieceKinds[rookFrom] = EMPTY;
            pieceColors[rookFrom] = NO_COLOR;
            break;
        }
        case MOVE_EN_PASSANT: {
            const Square victim = Square(to - pawnDirection[Us]);
            undo.capturedKind = PAWN;
            bitboards[PAWN - 1] ^= fromTo ^ squareBit(victim);
            bitboards[6 + Us] ^= fromTo;
            bitboards[6 + Them] ^= squareBit(victim);
            pieceKinds[to] = PAWN;
            pieceKinds[victim] = EMPTY;
            pieceColors[victim] = NO_COLOR;
            break;
        }
    }
    pieceColors[to] = Us;
    pieceKinds[from] = EMPTY;
    pieceColors[from] = NO_COLOR;
    sideToMove = Them;
}

template <Color Us>
inline void Board_BB64::unmakeMoveBare(Move m, const UndoRecord& undo) {
    constexpr Color Them = Color(Us ^ 1);
    const Square from = moveFrom(m), to = moveTo(m);
    const u32 captured = undo.capturedKind;
    const Bitboard toBit = squareBit(to), fromTo = squareBit(from) | toBit;
    sideToMove = Us;
    pieceColors[from] = Us;
    switch (moveKind(m)) {
        case MOVE_NORMAL: {
            const u32 mover = pieceKinds[to];
            bitboards[mover - 1] ^= fromTo;
            bitboards[6 + Us] ^= fromTo;
            pieceKinds[from] = u8(mover);
            break;
        }
        case MOVE_PROMOTION:
            bitboards[PAWN - 1] ^= squareBit(from);
            bitboards[pieceKinds[to] - 1] ^= toBit;
            bitboards[6 + Us] ^= fromTo;
            pieceKinds[from] = PAWN;
            break;
        case MOVE_CASTLING: {
            const u32 variant = moveExtra(m);
            const Square rookFrom = bb64::CASTLING_ROOK_FROM[variant];
            const Square rookTo = bb64::CASTLING_ROOK_TO[variant];
            const Bitboard rookMove = squareBit(rookFrom) | squareBit(rookTo);
            bitboards[KING - 1] ^= fromTo;
            bitboards[ROOK - 1] ^= rookMove;
            bitboards[6 + Us] ^= fromTo ^ rookMove;
            pieceKinds[from] = KING;
            pieceKinds[rookFrom] = ROOK;
            pieceColors[rookFrom] = Us;
            pieceKinds[rookTo] = EMPTY;
            pieceColors[rookTo] = NO_COLOR;
            pieceKinds[to] = EMPTY;
            pieceColors[to] = NO_COLOR;
            return;
        }
        case MOVE_EN_PASSANT: {
            const Square victim = Square(to - pawnDirection[Us]);
            bitboards[PAWN - 1] ^= fromTo ^ squareBit(victim);
            bitboards[6 + Us] ^= fromTo;
            bitboards[6 + Them] ^= squareBit(victim);
            pieceKinds[from] = PAWN;
            pieceKinds[victim] = PAWN;
            pieceColors[victim] = Them;
            pieceKinds[to] = EMPTY;
            pieceColors[to] = NO_COLOR;
            return;
        }
    }
    if (captured) {
        bitboards[captured - 1] ^= toBit;
        bitboards[6 + Them] ^= toBit;
        pieceKinds[to] = u8(captured);
        pieceColors[to] = Them;
    } else {
        pieceKinds[to] = EMPTY;
        pieceColors[to] = NO_COLOR;
    }
}

// ---------------------------------------------------------------------------
// Null move: the side to move passes.

inline void Board_BB64::makeNullMove(UndoRecord& undo) {
    assert(historyIndex + 1 < HISTORY_SIZE);
    history[historyIndex].move = NO_MOVE;
    HashKey key = history[historyIndex].key ^ sideKey;
    const HashKey pawnKey = history[historyIndex].pawnKey;
    undo.castlingRights = castlingRights;
    undo.epSquare = epSquare;
    undo.halfMoveClock = halfMoveClock;
    if (epSquare != NO_SQUARE) key ^= epFileKeys[epSquare & 7];
    HistoryRecord& next = history[++historyIndex];
    next.key = key;
    next.pawnKey = pawnKey;
    next.repetitionCount = 0;
    sideToMove = u8(sideToMove ^ 1);
    halfMoveClock = 0;
    epSquare = NO_SQUARE;
}

inline void Board_BB64::unmakeNullMove(const UndoRecord& undo) {
    --historyIndex;
    sideToMove = u8(sideToMove ^ 1);
    castlingRights = undo.castlingRights;
    epSquare = undo.epSquare;
    halfMoveClock = undo.halfMoveClock;
}

// ---------------------------------------------------------------------------
// Attack tests

template <Color By>
inline bool Board_BB64::isAttackedBy(Square sq, CheckerList& checkers) const {
    const Bitboard them = bitboards[6 + By];
    const Bitboard occ = bitboards[6] | bitboards[7];
    const Bitboard queens = bitboards[QUEEN - 1];
    const Bitboard diagonal = (bitboards[BISHOP - 1] | queens) & them;
    const Bitboard straight = (bitboards[ROOK - 1] | queens) & them;
    const Bitboard pawns = pawnAttacks[By ^ 1][sq] & bitboards[PAWN - 1] & them;
    const Bitboard knights = knightAttacks[sq] & bitboards[KNIGHT - 1] & them;
    const Bitboard king = kingAttacks[sq] & bitboards[KING - 1] & them;
    const Bitboard bishops = (bishopRays[sq] & diagonal) ? bishopAttacks(sq, occ) & diagonal : 0;
    const Bitboard rooks = (rookRays[sq] & straight) ? rookAttacks(sq, occ) & straight : 0;
    if (!(pawns | knights | king | bishops | rooks)) return false;
    if (pawns) checkers.add(Square(lowestSquare(pawns)));
    if (knights) checkers.add(Square(lowestSquare(knights)));
    if (king) checkers.add(Square(lowestSquare(king)));
    if (bishops) checkers.add(Square(lowestSquare(bishops)));
    if (rooks) checkers.add(Square(lowestSquare(rooks)));
    return true;
}

// Whether one of the men `them` (men of colour By) attacks sq, on the board's
// eight bitboards (pawns..kings, White, Black) with the occupancy occ for the
// slider lookups. Callers pass another occupancy or set of men for a position
// after a move that has not been made (a king's target, a capture's victim gone).
template <Color By>
inline bool squareAttackedBy(const Bitboard* bitboards, Square sq, Bitboard occ, Bitboard them) {
    const Bitboard queens = bitboards[QUEEN - 1];
    if ((pawnAttacks[By ^ 1][sq] & bitboards[PAWN - 1] & them) ||
        (knightAttacks[sq] & bitboards[KNIGHT - 1] & them) ||
        (kingAttacks[sq] & bitboards[KING - 1] & them))
        return true;
    const Bitboard diagonal = (bitboards[BISHOP - 1] | queens) & them;
    if ((bishopRays[sq] & diagonal) && (bishopAttacks(sq, occ) & diagonal)) return true;
    const Bitboard straight = (bitboards[ROOK - 1] | queens) & them;
    return (rookRays[sq] & straight) && (rookAttacks(sq, occ) & straight);
}

template <Color By>
inline bool Board_BB64::isSquareAttacked(Square sq, Bitboard occ) const {
    return squareAttackedBy<By>(bitboards, sq, occ, bitboards[6 + By]);
}

template <Color Us>
inline bool Board_BB64::isLegalMoveFull(Move m) {
    constexpr Color Them = Color(Us ^ 1);
    UndoRecord undo = clearedUndo();
    makeMoveBare<Us>(m, undo);
    const bool attacked = isSquareAttacked<Them>(kingSquare(Us), occupied());
    unmakeMoveBare<Us>(m, undo);
    return !attacked;
}

template <Color Us>
inline bool Board_BB64::isLegalMove(Move m, const CheckInfo& info) {
    const Square from = moveFrom(m);
    if (info.checkers.count == 0 && pieceKinds[from] != KING &&
        !((info.pinnedOrthogonal | info.pinnedDiagonal) & squareBit(from)) &&
        moveKind(m) != MOVE_EN_PASSANT)
        return true;
    return isLegalMoveFull<Us>(m);
}

// ---------------------------------------------------------------------------
// Check information

template <Color Us>
inline void Board_BB64::computePins(CheckInfo& info) const {
    constexpr Color Them = Color(Us ^ 1);
    const Square k = kingSquare(Us);
    const Bitboard all = occupied(), them = bitboards[6 + Them];
    const Bitboard queens = bitboards[QUEEN - 1];
    auto pinsAlong = [&](Bitboard snipers) {
        Bitboard pinned = 0;
        while (snipers) {
            const Bitboard between = betweenSquares[k][popLowest(snipers)] & all;
            if (between && !(between & (between - 1))) pinned |= between;
        }
        return pinned & ~them;
    };
    info.pinnedOrthogonal = pinsAlong(rookRays[k] & (bitboards[ROOK - 1] | queens) & them);
    info.pinnedDiagonal = pinsAlong(bishopRays[k] & (bitboards[BISHOP - 1] | queens) & them);
}

template <Color Us>
inline void Board_BB64::computeCheckInfo(CheckInfo& info) const {
    computePins<Us>(info);
    info.checkers.count = 0;
    isAttackedBy<Color(Us ^ 1)>(kingSquare(Us), info.checkers);
}

template <Color Us>
inline void Board_BB64::computeGivenChecks(Move m, CheckerList& checkers) const {
    constexpr Color Them = Color(Us ^ 1);
    const Square from = moveFrom(m), to = moveTo(m);
    const Square enemyKing = kingSquare(Them);
    const Bitboard kingBit = squareBit(enemyKing);
    Bitboard occ = (occupied() & ~squareBit(from)) | squareBit(to);
    Square checkSquare = to;
    u32 kind = pieceKinds[from];
    switch (moveKind(m)) {
        case MOVE_NORMAL:
            break;
        case MOVE_PROMOTION:
            kind = promotionKind(m);
            break;
        case MOVE_CASTLING: {
            const bool kingSide = fileOf(to) == 6;
            const Square rookFrom = Square(kingSide ? to + 1 : to - 2);
            const Square rookTo = Square(kingSide ? to - 1 : to + 1);
            occ = (occ & ~squareBit(rookFrom)) | squareBit(rookTo);
            checkSquare = rookTo;
            kind = ROOK;
            break;
        }
        case MOVE_EN_PASSANT:
            occ &= ~squareBit(to - pawnDirection[Us]);
            break;
    }

    bool direct = false;
    const bool clearLine = !(betweenSquares[checkSquare][enemyKing] & occ);
    switch (kind) {
        case PAWN:
            direct = pawnAttacks[Us][checkSquare] & kingBit;
            break;
        case KNIGHT:
            direct = knightAttacks[checkSquare] & kingBit;
            break;
        case BISHOP:
            direct = (bishopRays[checkSquare] & kingBit) && clearLine;
            break;
        case ROOK:
            direct = (rookRays[checkSquare] & kingBit) && clearLine;
            break;
        case QUEEN:
            direct = ((bishopRays[checkSquare] | rookRays[checkSquare]) & kingBit) && clearLine;
            break;
        default:
            break;
    }
    if (direct) checkers.add(checkSquare);

    // Discovered checks by the sliders as they stand before the move; a slider
    // can only reach the king from one of the king's own rays.
    const Bitboard ours = bitboards[6 + Us], queens = bitboards[QUEEN - 1];
    Bitboard diagonal = (bitboards[BISHOP - 1] | queens) & ours & bishopRays[enemyKing];
    while (diagonal && checkers.count < 2) {
        const Square s = Square(popLowest(diagonal));
        if (bishopAttacks(s, occ) & kingBit) checkers.add(s);
    }
    Bitboard straight = (bitboards[ROOK - 1] | queens) & ours & rookRays[enemyKing];
    while (straight && checkers.count < 2) {
        const Square s = Square(popLowest(straight));
        if (rookAttacks(s, occ) & kingBit) checkers.add(s);
    }
}

inline bool Board_BB64::inCheck() const {
    if (sideToMove == WHITE)
        return pieces(KING, WHITE) && isSquareAttacked<BLACK>(kingSquare(WHITE), occupied());
    if (sideToMove == BLACK)
        return pieces(KING, BLACK) && isSquareAttacked<WHITE>(kingSquare(BLACK), occupied());
    return false;
}

// ---------------------------------------------------------------------------
// Piece iterator

template <Color C>
inline PieceIterator PieceIterator::start(const Board_BB64* b, PieceKind from, PieceKind lowest) {
    return PieceIterator{b, i32(from), i32(lowest), b->pieces(from, C), NO_SQUARE};
}

template <Color C>
inline u32 PieceIterator::first() {
    while (!remaining) {
        square = NO_SQUARE;
        if (--kind < lowestKind) return NONE;
        remaining = board->pieces(PieceKind(kind), C);
    }
    square = Square(popLowest(remaining));
    return square;
}

template <Color C>
inline void PieceIterator::next() {
    if (square == NO_SQUARE) return;
    while (!remaining) {
        if (--kind < lowestKind) {
            square = NO_SQUARE;
            return;
        }
        remaining = board->pieces(PieceKind(kind), C);
    }
    square = Square(popLowest(remaining));
}
