// Inline definitions of the hot Board_0x88 operations: the placement
// primitives, the three make/unmake flavours, the attack tests, pins and
// legality. Included at the end of board_0x88.h.
#pragma once

#include <cassert>

#include "board/piece_square.h"
#include "board/tables.h"
#include "board0x88/board_0x88.h"

namespace x88 {

// Piece-square sums are 16-bit pairs; they wrap exactly like a recount would.
inline void addScore(ScorePair& sum, const ScorePair& v) {
    sum.mg = i16(sum.mg + v.mg);
    sum.eg = i16(sum.eg + v.eg);
}
inline void subScore(ScorePair& sum, const ScorePair& v) {
    sum.mg = i16(sum.mg - v.mg);
    sum.eg = i16(sum.eg - v.eg);
}
inline const ScorePair& pst(u32 color, u32 kind, Square0x88 sq) {
    return pieceSquareTable[color][kind - 1][toSquare(sq)];
}
inline HashKey key(u32 color, u32 kind, Square0x88 sq) {
    return pieceKeys[color][kind - 1][toSquare(sq)];
}

}  // namespace x88

// ---------------------------------------------------------------------------
// Placement primitives

inline void Board_0x88::putPiece(Square0x88 sq, PieceKind kind, Color color, u32 slot) {
    assert(pieceKinds[sq] == EMPTY && slot < 16 && pieceLists[color][slot] == x88::EMPTY_SLOT);
    pieceKinds[sq] = kind;
    pieceColors[sq] = color;
    pieceSlots[sq] = u8(slot);
    pieceLists[color][slot] = sq;
    ++pieceCounts[color][kind];
    ++pieceCounts[color][7];
    toggleSets(sq, kind, color);
    x88::addScore(pstSums[color], x88::pst(color, kind, sq));
}

inline bool Board_0x88::addPiece(Square0x88 sq, PieceKind kind, Color color) {
    using namespace piecelimits;
    if (pieceCounts[color][kind] >= maxCountOfKind[kind]) return false;
    const u8* list = pieceLists[color];
    int slot = -1;
    for (int s = firstSlotOfKind[kind]; s <= lastSlotOfKind[kind] && slot < 0; ++s)
        if (list[s] == x88::EMPTY_SLOT) slot = s;
    if (slot < 0 && kind >= KNIGHT && kind <= QUEEN)
        for (int s = 8; s < 16 && slot < 0; ++s)
            if (list[s] == x88::EMPTY_SLOT) slot = s;
    if (slot < 0) return false;
    putPiece(sq, kind, color, u32(slot));
    current().key ^= x88::key(color, kind, sq);
    if (kind == PAWN) current().pawnKey ^= x88::key(color, kind, sq);
    return true;
}

inline void Board_0x88::toggleSets(Square0x88 sq, u32 kind, u32 color) {
    const Bitboard bit = squareBit(x88::toSquare(sq));
    kindSets[kind] ^= bit;
    colorSets[color] ^= bit;
}

inline void Board_0x88::changeKindSets(Square0x88 sq, u32 from, u32 to) {
    const Bitboard bit = squareBit(x88::toSquare(sq));
    kindSets[from] ^= bit;
    kindSets[to] ^= bit;
}

template <bool Sets>
inline void Board_0x88::movePieceBare(Square0x88 from, Square0x88 to) {
    assert(pieceKinds[from] != EMPTY && pieceKinds[to] == EMPTY);
    const u8 slot = pieceSlots[from];
    if constexpr (Sets) {
        const Bitboard fromTo = squareBit(x88::toSquare(from)) | squareBit(x88::toSquare(to));
        kindSets[pieceKinds[from]] ^= fromTo;
        colorSets[pieceColors[from]] ^= fromTo;
    }
    pieceKinds[to] = pieceKinds[from];
    pieceColors[to] = pieceColors[from];
    pieceSlots[to] = slot;
    pieceLists[pieceColors[from]][slot] = to;
    pieceKinds[from] = EMPTY;
    pieceColors[from] = NO_COLOR;
    pieceSlots[from] = x88::NO_SLOT;
}

inline void Board_0x88::movePiece(Square0x88 from, Square0x88 to) {
    const u32 kind = pieceKinds[from], color = pieceColors[from];
    x88::subScore(pstSums[color], x88::pst(color, kind, from));
    x88::addScore(pstSums[color], x88::pst(color, kind, to));
    movePieceBare(from, to);
}

inline void Board_0x88::movePieceHashed(Square0x88 from, Square0x88 to) {
    const u32 kind = pieceKinds[from], color = pieceColors[from];
    const HashKey change = x88::key(color, kind, from) ^ x88::key(color, kind, to);
    current().key ^= change;
    if (kind == PAWN) current().pawnKey ^= change;
    movePiece(from, to);
}

template <bool Sets>
inline u32 Board_0x88::takeOffBare(Square0x88 sq) {
    const u32 kind = pieceKinds[sq], color = pieceColors[sq], slot = pieceSlots[sq];
    assert(kind != EMPTY && slot < 16);
    if constexpr (Sets) toggleSets(sq, kind, color);
    pieceLists[color][slot] = x88::EMPTY_SLOT;
    --pieceCounts[color][kind];
    --pieceCounts[color][7];
    pieceKinds[sq] = EMPTY;
    pieceColors[sq] = NO_COLOR;
    pieceSlots[sq] = x88::NO_SLOT;
    return slot | (kind << 4);
}

template <bool Sets>
inline void Board_0x88::putBackBare(Square0x88 sq, u32 captured, Color color) {
    const u32 kind = captured >> 4, slot = captured & 15;
    if constexpr (Sets) toggleSets(sq, kind, color);
    pieceKinds[sq] = u8(kind);
    pieceColors[sq] = color;
    pieceSlots[sq] = u8(slot);
    pieceLists[color][slot] = sq;
    ++pieceCounts[color][kind];
    ++pieceCounts[color][7];
}

inline void Board_0x88::removePieceHashed(Square0x88 sq) {
    const u32 kind = pieceKinds[sq], color = pieceColors[sq];
    current().key ^= x88::key(color, kind, sq);
    if (kind == PAWN) current().pawnKey ^= x88::key(color, kind, sq);
    x88::subScore(pstSums[color], x88::pst(color, kind, sq));
    takeOffBare(sq);
}

inline void Board_0x88::movePieceZobrist(Square0x88 from, Square0x88 to) {
    const u32 kind = pieceKinds[from], color = pieceColors[from];
    perftKeys[perftKeyCount] ^= x88::key(color, kind, from) ^ x88::key(color, kind, to);
    movePieceBare(from, to);
}

inline void Board_0x88::removePieceZobrist(Square0x88 sq) {
    perftKeys[perftKeyCount] ^= x88::key(pieceColors[sq], pieceKinds[sq], sq);
    takeOffBare(sq);
}

// ---------------------------------------------------------------------------
// Full and perft make/unmake share one body: `Full` keeps the history, pawn
// key, piece-square sums and half-move clock; the perft flavour keeps only the
// key on the perft key stack. A captured man's list slot goes into the undo
// record, so that the unmake puts it back into the very slot it left and the
// lists (and with them the generation order) are the same afterwards.

template <Color Us, bool Full>
inline void Board_0x88::makeMoveImpl(Move m, UndoRecord& undo) {
    constexpr Color Them = Color(Us ^ 1);
    constexpr int up = Us == WHITE ? 16 : -16;
    const Square0x88 from = x88::moveFrom(m), to = x88::moveTo(m);
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
    undo.capturedKind = 0;
    if (epSquare != x88::NO_EP) key ^= epFileKeys[epSquare & 7];
    epSquare = x88::NO_EP;

    auto takeOff = [&](Square0x88 sq) {
        const u32 kind = pieceKinds[sq];
        key ^= x88::key(Them, kind, sq);
        if constexpr (Full) {
            if (kind == PAWN) pawnKey ^= x88::key(Them, PAWN, sq);
            x88::subScore(pstSums[Them], x88::pst(Them, kind, sq));
        }
        undo.capturedKind = takeOffBare(sq);
    };
    auto shift = [&](Square0x88 a, Square0x88 b) {
        const u32 kind = pieceKinds[a];
        const HashKey change = x88::key(Us, kind, a) ^ x88::key(Us, kind, b);
        key ^= change;
        if constexpr (Full) {
            if (kind == PAWN) pawnKey ^= change;
            x88::subScore(pstSums[Us], x88::pst(Us, kind, a));
            x88::addScore(pstSums[Us], x88::pst(Us, kind, b));
        }
        movePieceBare(a, b);
    };
    // The clock saturates at 255 rather than wrapping back to a small count.
    auto tick = [&] {
        if constexpr (Full) halfMoveClock = u8(halfMoveClock + (halfMoveClock < 255));
    };
    auto resetClock = [&] {
        if constexpr (Full) halfMoveClock = 0;
    };

    switch (moveKind(m)) {
        case MOVE_NORMAL: {
            const bool pawn = pieceKinds[from] == PAWN;
            if (pieceKinds[to] != EMPTY) {
                takeOff(to);
                resetClock();
            } else if (pawn) {
                resetClock();
            } else {
                tick();
            }
            shift(from, to);
            if (moveExtra(m) == 1) {
                auto enemyPawn = [&](u32 sq) {
                    return x88::onBoard(sq) && pieceKinds[sq] == PAWN && pieceColors[sq] == Them;
                };
                if (enemyPawn(u8(to - 1)) || enemyPawn(u8(to + 1))) {
                    epSquare = u8(to - up);
                    key ^= epFileKeys[to & 7];
                }
            }
            break;
        }
        case MOVE_PROMOTION: {
            if (pieceKinds[to] != EMPTY) takeOff(to);
            shift(from, to);
            const u32 piece = promotionKind(m);
            key ^= x88::key(Us, PAWN, to) ^ x88::key(Us, piece, to);
            if constexpr (Full) {
                pawnKey ^= x88::key(Us, PAWN, to);
                x88::subScore(pstSums[Us], x88::pst(Us, PAWN, to));
                x88::addScore(pstSums[Us], x88::pst(Us, piece, to));
            }
            pieceKinds[to] = u8(piece);
            changeKindSets(to, PAWN, piece);
            --pieceCounts[Us][PAWN];
            ++pieceCounts[Us][piece];
            resetClock();
            break;
        }
        case MOVE_CASTLING: {
            const u32 variant = moveExtra(m);
            shift(from, to);
            shift(x88::castlingRookFrom[variant], x88::castlingRookTo[variant]);
            tick();
            break;
        }
        case MOVE_EN_PASSANT:
            takeOff(u8(to - up));
            shift(from, to);
            resetClock();
            break;
    }

    // A right goes when its king or rook leaves home or the rook is taken there.
    const u32 rights = castlingRights & CASTLING_KEEP.keep[x88::toSquare(from)] &
                       CASTLING_KEEP.keep[x88::toSquare(to)];
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
inline void Board_0x88::unmakeMoveImpl(Move m, const UndoRecord& undo) {
    constexpr Color Them = Color(Us ^ 1);
    constexpr int up = Us == WHITE ? 16 : -16;
    const Square0x88 from = x88::moveFrom(m), to = x88::moveTo(m);

    auto shift = [&](Square0x88 a, Square0x88 b) {
        if constexpr (Full)
            movePiece(a, b);
        else
            movePieceBare(a, b);
    };
    auto putBack = [&](Square0x88 sq) {
        putBackBare(sq, undo.capturedKind, Them);
        if constexpr (Full)
            x88::addScore(pstSums[Them], x88::pst(Them, undo.capturedKind >> 4, sq));
    };

    sideToMove = Us;
    switch (moveKind(m)) {
        case MOVE_PROMOTION: {
            const u32 piece = pieceKinds[to];
            if constexpr (Full) {
                x88::subScore(pstSums[Us], x88::pst(Us, piece, to));
                x88::addScore(pstSums[Us], x88::pst(Us, PAWN, to));
            }
            --pieceCounts[Us][piece];
            ++pieceCounts[Us][PAWN];
            changeKindSets(to, pieceKinds[to], PAWN);
            pieceKinds[to] = PAWN;
            [[fallthrough]];
        }
        case MOVE_NORMAL:
            shift(to, from);
            if (undo.capturedKind) putBack(to);
            break;
        case MOVE_CASTLING: {
            const u32 variant = moveExtra(m);
            shift(to, from);
            shift(x88::castlingRookTo[variant], x88::castlingRookFrom[variant]);
            break;
        }
        case MOVE_EN_PASSANT:
            shift(to, from);
            putBack(u8(to - up));
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
inline void Board_0x88::makeMove(Move m, UndoRecord& undo) {
    makeMoveImpl<Us, true>(m, undo);
}
template <Color Us>
inline void Board_0x88::unmakeMove(Move m, const UndoRecord& undo) {
    unmakeMoveImpl<Us, true>(m, undo);
}
template <Color Us>
inline void Board_0x88::makeMovePerft(Move m, UndoRecord& undo) {
    makeMoveImpl<Us, false>(m, undo);
}
template <Color Us>
inline void Board_0x88::unmakeMovePerft(Move m, const UndoRecord& undo) {
    unmakeMoveImpl<Us, false>(m, undo);
}

inline void Board_0x88::makeMove(Move m, UndoRecord& undo) {
    if (sideToMove == WHITE)
        makeMove<WHITE>(m, undo);
    else
        makeMove<BLACK>(m, undo);
}

// Called on the position the make produced, so the mover is the side not to move.
inline void Board_0x88::unmakeMove(Move m, const UndoRecord& undo) {
    if (sideToMove == BLACK)
        unmakeMove<WHITE>(m, undo);
    else
        unmakeMove<BLACK>(m, undo);
}

// ---------------------------------------------------------------------------
// Bare make: the men (arrays, lists, counts; not the square sets) and the side
// to move only; the undo gets the captured man.

template <Color Us>
inline void Board_0x88::makeMoveBare(Move m, UndoRecord& undo) {
    constexpr int up = Us == WHITE ? 16 : -16;
    const Square0x88 from = x88::moveFrom(m), to = x88::moveTo(m);
    undo.capturedKind = 0;
    switch (moveKind(m)) {
        case MOVE_NORMAL:
            if (pieceKinds[to] != EMPTY) undo.capturedKind = takeOffBare<false>(to);
            movePieceBare<false>(from, to);
            break;
        case MOVE_PROMOTION: {
            if (pieceKinds[to] != EMPTY) undo.capturedKind = takeOffBare<false>(to);
            movePieceBare<false>(from, to);
            const u32 piece = promotionKind(m);
            pieceKinds[to] = u8(piece);
            --pieceCounts[Us][PAWN];
            ++pieceCounts[Us][piece];
            break;
        }
        case MOVE_CASTLING: {
            const u32 variant = moveExtra(m);
            movePieceBare<false>(from, to);
            movePieceBare<false>(x88::castlingRookFrom[variant], x88::castlingRookTo[variant]);
            break;
        }
        case MOVE_EN_PASSANT:
            undo.capturedKind = takeOffBare<false>(u8(to - up));
            movePieceBare<false>(from, to);
            break;
    }
    sideToMove = Color(Us ^ 1);
}

template <Color Us>
inline void Board_0x88::unmakeMoveBare(Move m, const UndoRecord& undo) {
    constexpr Color Them = Color(Us ^ 1);
    constexpr int up = Us == WHITE ? 16 : -16;
    const Square0x88 from = x88::moveFrom(m), to = x88::moveTo(m);
    sideToMove = Us;
    switch (moveKind(m)) {
        case MOVE_PROMOTION:
            --pieceCounts[Us][pieceKinds[to]];
            ++pieceCounts[Us][PAWN];
            pieceKinds[to] = PAWN;
            [[fallthrough]];
        case MOVE_NORMAL:
            movePieceBare<false>(to, from);
            if (undo.capturedKind) putBackBare<false>(to, undo.capturedKind, Them);
            break;
        case MOVE_CASTLING: {
            const u32 variant = moveExtra(m);
            movePieceBare<false>(to, from);
            movePieceBare<false>(x88::castlingRookTo[variant], x88::castlingRookFrom[variant]);
            break;
        }
        case MOVE_EN_PASSANT:
            movePieceBare<false>(to, from);
            putBackBare<false>(u8(to - up), undo.capturedKind, Them);
            break;
    }
}

// ---------------------------------------------------------------------------
// Null move: the side to move passes.

inline void Board_0x88::makeNullMove(UndoRecord& undo) {
    assert(historyIndex + 1 < HISTORY_SIZE);
    history[historyIndex].move = NO_MOVE;
    HashKey key = history[historyIndex].key ^ sideKey;
    const HashKey pawnKey = history[historyIndex].pawnKey;
    undo.castlingRights = castlingRights;
    undo.epSquare = epSquare;
    undo.halfMoveClock = halfMoveClock;
    undo.capturedKind = 0;
    if (epSquare != x88::NO_EP) key ^= epFileKeys[epSquare & 7];
    HistoryRecord& next = history[++historyIndex];
    next.key = key;
    next.pawnKey = pawnKey;
    next.repetitionCount = 0;
    sideToMove = u8(sideToMove ^ 1);
    halfMoveClock = 0;
    epSquare = x88::NO_EP;
}

inline void Board_0x88::unmakeNullMove(const UndoRecord& undo) {
    --historyIndex;
    sideToMove = u8(sideToMove ^ 1);
    castlingRights = undo.castlingRights;
    epSquare = undo.epSquare;
    halfMoveClock = undo.halfMoveClock;
}

// ---------------------------------------------------------------------------
// Attack tests. Candidates are looked for in a fixed order (pawns, then
// knights and king alternating by step, then files and ranks, then
// diagonals), which decides the attacker recorded when several attack.

namespace x88 {
// The first man of colour By that attacks sq on these square arrays, or -1.
// `straight` and `diagonal` may be false when no man of By that moves along
// such lines stands on one with sq: those rays are then not walked.
// Likewise `pawns` and `leapers` (knights and king) may be false when none of
// them can reach sq.
template <Color By>
inline int firstAttackerOn(const u8* kinds, const u8* colors, Square0x88 sq, bool straight = true,
                           bool diagonal = true, bool pawns = true, bool leapers = true) {
    auto is = [&](u32 s, u32 kind) { return onBoard(s) && kinds[s] == kind && colors[s] == By; };
    // A pawn of By attacks sq from one rank behind sq, seen from By.
    constexpr int pawnA = By == WHITE ? 15 : -15, pawnB = By == WHITE ? 17 : -17;
    if (pawns) {
        if (is(u8(sq - pawnA), PAWN)) return u8(sq - pawnA);
        if (is(u8(sq - pawnB), PAWN)) return u8(sq - pawnB);
    }
    for (int i = 0; leapers && i < 8; ++i) {
        const u8 knight = u8(sq - knightSteps[i]);
        if (is(knight, KNIGHT)) return knight;
        const u8 king = u8(sq - kingSteps[i]);
        if (is(king, KING)) return king;
    }
    auto slider = [&](const int* steps, u32 kind) -> int {
        for (int i = 0; i < 4; ++i) {
            for (u8 s = u8(sq - steps[i]); onBoard(s); s = u8(s - steps[i])) {
                if (kinds[s] == EMPTY) continue;
                if (colors[s] == By && (kinds[s] == kind || kinds[s] == QUEEN)) return s;
                break;
            }
        }
        return -1;
    };
    const int rookOrQueen = straight ? slider(orthogonalSteps, ROOK) : -1;
    if (rookOrQueen >= 0) return rookOrQueen;
    return diagonal ? slider(diagonalSteps, BISHOP) : -1;
}
}  // namespace x88

template <Color By>
inline int Board_0x88::firstAttacker(Square0x88 sq) const {
    // The square sets tell which kinds of attacker can be there at all. During
    // a bare make they are not kept, but By's men never move there (only
    // captured ones may linger in the sets), so the filter stays safe.
    const Square s = x88::toSquare(sq);
    const Bitboard them = colorSets[By], queens = kindSets[QUEEN];
    const bool straight = ((kindSets[ROOK] | queens) & them & rookRays[s]) != 0;
    const bool diagonal = ((kindSets[BISHOP] | queens) & them & bishopRays[s]) != 0;
    const bool pawns = (pawnAttacks[By ^ 1][s] & kindSets[PAWN] & them) != 0;
    const bool leapers =
        ((knightAttacks[s] & kindSets[KNIGHT]) | (kingAttacks[s] & kindSets[KING])) & them;
    return x88::firstAttackerOn<By>(pieceKinds, pieceColors, sq, straight, diagonal, pawns,
                                    leapers);
}

template <Color By>
inline bool Board_0x88::isAttackedBy(Square0x88 sq, CheckerList& checkers) const {
    const int attacker = firstAttacker<By>(sq);
    if (attacker < 0) return false;
    checkers.add(u8(attacker));
    return true;
}

template <Color By>
inline bool Board_0x88::isSquareAttacked(Square0x88 sq, CheckerList& checkers) const {
    const int attacker = firstAttacker<By>(sq);
    if (attacker < 0) return false;
    checkers.count = 1;
    checkers.squares[0] = u8(attacker);
    return true;
}

// ---------------------------------------------------------------------------
// Pins: an own man that is the first on a ray from the own king, with an
// enemy slider of that ray's kind (or a queen) as the next man.

namespace x88 {
template <Color Us>
inline Bitboard pinsAlong(const Board_0x88& b, const int* steps, u32 kind) {
    constexpr Color Them = Color(Us ^ 1);
    const Square0x88 king = b.pieceLists[Us][0];
    Bitboard pinned = 0;
    for (int i = 0; i < 4; ++i) {
        u8 s = u8(king + steps[i]);
        while (onBoard(s) && b.pieceKinds[s] == EMPTY) s = u8(s + steps[i]);
        if (!onBoard(s) || b.pieceColors[s] != Us) continue;
        const Square0x88 own = s;
        s = u8(s + steps[i]);
        while (onBoard(s) && b.pieceKinds[s] == EMPTY) s = u8(s + steps[i]);
        if (onBoard(s) && b.pieceColors[s] == Them &&
            (b.pieceKinds[s] == kind || b.pieceKinds[s] == QUEEN))
            pinned |= squareBit(toSquare(own));
    }
    return pinned;
}
}  // namespace x88

// Rays are walked only when the square sets show an enemy slider of their
// kind on a line with the king.
template <Color Us>
inline Bitboard Board_0x88::computePinnedOrthogonal() const {
    const Bitboard snipers = (kindSets[ROOK] | kindSets[QUEEN]) & colorSets[Us ^ 1];
    if (!(snipers & rookRays[kingSquare(Us)])) return 0;
    return x88::pinsAlong<Us>(*this, x88::orthogonalSteps, ROOK);
}
template <Color Us>
inline Bitboard Board_0x88::computePinnedDiagonal() const {
    const Bitboard snipers = (kindSets[BISHOP] | kindSets[QUEEN]) & colorSets[Us ^ 1];
    if (!(snipers & bishopRays[kingSquare(Us)])) return 0;
    return x88::pinsAlong<Us>(*this, x88::diagonalSteps, BISHOP);
}

template <Color Us>
inline void Board_0x88::computePins(CheckInfo& info) const {
    info.pinnedOrthogonal = computePinnedOrthogonal<Us>();
    info.pinnedDiagonal = computePinnedDiagonal<Us>();
}

template <Color Us>
inline void Board_0x88::computeCheckInfo(CheckInfo& info) const {
    computePins<Us>(info);
    info.checkers.count = 0;
    isAttackedBy<Color(Us ^ 1)>(kingSquare0x88(Us), info.checkers);
}

inline bool Board_0x88::inCheck() const {
    CheckerList checkers{};
    if (sideToMove == WHITE)
        return pieceCounts[WHITE][KING] && isSquareAttacked<BLACK>(kingSquare0x88(WHITE), checkers);
    if (sideToMove == BLACK)
        return pieceCounts[BLACK][KING] && isSquareAttacked<WHITE>(kingSquare0x88(BLACK), checkers);
    return false;
}

// ---------------------------------------------------------------------------
// Legality

template <Color Us>
inline bool Board_0x88::leavesKingSafe(Move m) {
    const Square0x88 from = x88::moveFrom(m);
    if (moveKind(m) == MOVE_NORMAL && pieceKinds[from] == KING) {
        // A king step: the same answer as the bare make, for less. The test
        // ignores what stands on the tested square, so only the king's own
        // square must be emptied (it may shield its target along a line).
        pieceKinds[from] = EMPTY;
        const bool attacked = firstAttacker<Color(Us ^ 1)>(x88::moveTo(m)) >= 0;
        pieceKinds[from] = KING;
        return !attacked;
    }
    UndoRecord undo{0, x88::NO_EP, 0, 0};
    makeMoveBare<Us>(m, undo);
    CheckerList checkers{};
    const bool attacked = isSquareAttacked<Color(Us ^ 1)>(pieceLists[Us][0], checkers);
    unmakeMoveBare<Us>(m, undo);
    return !attacked;
}

template <Color Us>
inline bool Board_0x88::isLegalMoveFull(Move m) {
    return leavesKingSafe<Us>(m);
}

template <Color Us>
inline bool Board_0x88::isLegalMove(Move m, const CheckInfo& info) {
    if (info.checkers.count == 0 && pieceKinds[x88::moveFrom(m)] != KING &&
        !((info.pinnedOrthogonal | info.pinnedDiagonal) & squareBit(moveFrom(m))) &&
        moveKind(m) != MOVE_EN_PASSANT)
        return true;
    return leavesKingSafe<Us>(m);
}
