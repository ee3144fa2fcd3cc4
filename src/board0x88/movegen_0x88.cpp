// Legal move generation of the 0x88 board, and the picker's losing-capture and
// stored-move tests.
//
// Every generator appends only legal moves, in this board's fixed order:
// en passant first (all moves), then the own men slot by slot (king, queen,
// rooks, bishops, knights, pawn slots), each man's moves in the order of the
// step tables, then castling. Divide prints this order. A move that could
// expose the own king (side in check, a king move, a pinned man) is tried
// with the bare make and an attack test; every other move is written at once.
// En passant and castling are always tried.
#include <initializer_list>

#include "board/exchange_values.h"
#include "board0x88/board_0x88.h"

using x88::onBoard;

namespace {

template <Color Us>
constexpr int pawnUp() {
    return Us == WHITE ? 16 : -16;
}
// A pawn's two capture steps in diagonalSteps order: towards the a-file first
// for White, towards the h-file first for Black.
template <Color Us>
constexpr int captureStepA() {
    return Us == WHITE ? 15 : -15;
}
template <Color Us>
constexpr int captureStepB() {
    return Us == WHITE ? 17 : -17;
}
template <Color Us>
constexpr int seventhRank() {
    return Us == WHITE ? 6 : 1;
}
template <Color Us>
constexpr int secondRank() {
    return Us == WHITE ? 1 : 6;
}

// Promotion pieces in the order they are appended.
constexpr PieceKind PROMOTION_ORDER[4] = {QUEEN, KNIGHT, ROOK, BISHOP};

bool needsTrial(const Board_0x88& b, const CheckInfo& info, Square0x88 from) {
    return info.checkers.count != 0 || b.pieceKinds[from] == KING ||
           ((info.pinnedOrthogonal | info.pinnedDiagonal) & squareBit(x88::toSquare(from)));
}

}  // namespace

// ---------------------------------------------------------------------------
// The add rule

template <Color Us>
void Board_0x88::addMoveIfLegal(MoveList& list, const CheckInfo& info, Square0x88 from,
                                Square0x88 to, u32 flag) {
    const Move m = x88::makeMove(from, to, flag << 14);
    if (needsTrial(*this, info, from) && !leavesKingSafe<Us>(m)) return;
    list.add(m);
}

template <Color Us>
void Board_0x88::addPromotionIfLegal(MoveList& list, const CheckInfo& info, Square0x88 from,
                                     Square0x88 to, PieceKind kind) {
    const Move m = x88::makeMove(from, to, (MOVE_PROMOTION << 12) | ((kind - 2u) << 14));
    if (needsTrial(*this, info, from) && !leavesKingSafe<Us>(m)) return;
    list.add(m);
}

// ---------------------------------------------------------------------------
// Pawns

template <Color Us>
void Board_0x88::genPromotionsFrom(const CheckInfo& info, Square0x88 from, MoveList& list) {
    constexpr Color Them = Color(Us ^ 1);
    for (int step : {captureStepA<Us>(), captureStepB<Us>()}) {
        const u8 to = u8(from + step);
        if (onBoard(to) && pieceColors[to] == Them)
            for (PieceKind k : PROMOTION_ORDER) addPromotionIfLegal<Us>(list, info, from, to, k);
    }
    const u8 push = u8(from + pawnUp<Us>());
    if (pieceKinds[push] == EMPTY)
        for (PieceKind k : PROMOTION_ORDER) addPromotionIfLegal<Us>(list, info, from, push, k);
}

template <Color Us, Board_0x88::GenMode Mode>
void Board_0x88::genPawnMoves(const CheckInfo& info, Square0x88 from, bool trial, MoveList& list) {
    constexpr Color Them = Color(Us ^ 1);
    // The add rule, with the trial decided once for the pawn.
    auto add = [&](Square0x88 to, u32 flag) {
        const Move m = x88::makeMove(from, to, flag << 14);
        if (!trial || leavesKingSafe<Us>(m)) list.add(m);
    };
    const int rank = x88::rankOf(from);
    // A pawn on its own last rank (only FEN text can put one there) has no move.
    if (rank == (Us == WHITE ? 7 : 0)) return;
    if (rank == seventhRank<Us>()) {
        if constexpr (Mode == GEN_QUIETS) {
            return;
        } else if constexpr (Mode == GEN_QS_CAPTURES) {
            for (int step : {captureStepA<Us>(), captureStepB<Us>(), pawnUp<Us>()}) {
                const u8 to = u8(from + step);
                const bool ok = step == pawnUp<Us>() ? pieceKinds[to] == EMPTY
                                                     : onBoard(to) && pieceColors[to] == Them;
                if (ok) addPromotionIfLegal<Us>(list, info, from, to, QUEEN);
            }
        } else {
            genPromotionsFrom<Us>(info, from, list);
        }
        return;
    }
    if constexpr (Mode != GEN_QUIETS) {
        for (int step : {captureStepA<Us>(), captureStepB<Us>()}) {
            const u8 to = u8(from + step);
            if (onBoard(to) && pieceColors[to] == Them) add(to, 0);
        }
    }
    if constexpr (Mode == GEN_ALL || Mode == GEN_QUIETS) {
        const u8 push = u8(from + pawnUp<Us>());
        if (pieceKinds[push] != EMPTY) return;
        add(push, 0);
        const u8 twice = u8(push + pawnUp<Us>());
        if (rank == secondRank<Us>() && pieceKinds[twice] == EMPTY) add(twice, 1);
    }
}

// ---------------------------------------------------------------------------
// The piece walk

template <Color Us, Board_0x88::GenMode Mode>
inline void Board_0x88::genManMoves(const CheckInfo& info, Square0x88 from, bool trial,
                                    MoveList& list) {
    constexpr Color Them = Color(Us ^ 1);
    constexpr bool quiets = Mode == GEN_ALL || Mode == GEN_QUIETS;
    constexpr bool captures = Mode != GEN_QUIETS;
    const u32 kind = pieceKinds[from];
    // The add rule of addMoveIfLegal, with the trial decided once per man.
    auto add = [&](Square0x88 to) {
        const Move m = x88::makeMove(from, to);
        if (!trial || leavesKingSafe<Us>(m)) list.add(m);
    };
    if (kind == PAWN) {
        genPawnMoves<Us, Mode>(info, from, trial, list);
        return;
    }
    if (kind == KING || kind == KNIGHT) {
        const int* steps = kind == KING ? x88::kingSteps : x88::knightSteps;
        for (int i = 0; i < 8; ++i) {
            const u8 to = u8(from + steps[i]);
            if (!onBoard(to) || pieceColors[to] == Us) continue;
            if (pieceColors[to] == Them ? captures : quiets) add(to);
        }
        return;
    }
    // Sliders: an illegal quiet square does not end a ray, so a pinned
    // slider gets every square tried and keeps those on its pin line.
    auto ray = [&](int step) {
        u8 to = u8(from + step);
        for (; onBoard(to) && pieceKinds[to] == EMPTY; to = u8(to + step))
            if constexpr (quiets) add(to);
        if (captures && onBoard(to) && pieceColors[to] == Them) add(to);
    };
    if (kind != BISHOP)
        for (int step : x88::orthogonalSteps) ray(step);
    if (kind != ROOK)
        for (int step : x88::diagonalSteps) ray(step);
}

template <Color Us, Board_0x88::GenMode Mode>
void Board_0x88::genPieceMoves(const CheckInfo& info, MoveList& list) {
    for (u32 slot = 0; slot < 16; ++slot) {
        const Square0x88 from = pieceLists[Us][slot];
        if (onBoard(from)) genManMoves<Us, Mode>(info, from, needsTrial(*this, info, from), list);
    }
}

// ---------------------------------------------------------------------------
// En passant and castling

template <Color Us>
void Board_0x88::genEnPassant(const CheckInfo&, MoveList& list) {
    if (epSquare == x88::NO_EP) return;
    for (int step : {captureStepA<Us>(), captureStepB<Us>()}) {
        const u8 from = u8(epSquare - step);
        if (!onBoard(from) || pieceKinds[from] != PAWN || pieceColors[from] != Us) continue;
        const Move m = x88::makeMove(from, epSquare, MOVE_EN_PASSANT << 12);
        if (leavesKingSafe<Us>(m)) list.add(m);
    }
}

// The rights stand for king and rook at home (the make clears a right when
// either leaves or the rook is taken, and FEN set-up drops unfounded ones).
template <Color Us>
void Board_0x88::genCastling(const CheckInfo& info, MoveList& list) {
    constexpr Color Them = Color(Us ^ 1);
    if (info.checkers.count != 0) return;
    constexpr u8 base = Us == WHITE ? 0 : 112;
    constexpr u8 kingSide = Us == WHITE ? WHITE_KING_SIDE : BLACK_KING_SIDE;
    constexpr u8 queenSide = Us == WHITE ? WHITE_QUEEN_SIDE : BLACK_QUEEN_SIDE;
    CheckerList scratch{};
    if ((castlingRights & kingSide) && pieceKinds[base + 5] == EMPTY &&
        pieceKinds[base + 6] == EMPTY && !isSquareAttacked<Them>(u8(base + 5), scratch)) {
        const Move m = Us == WHITE ? CASTLE_WHITE_KING_SIDE : CASTLE_BLACK_KING_SIDE;
        if (isLegalMove<Us>(m, info)) list.add(m);
    }
    if ((castlingRights & queenSide) && pieceKinds[base + 3] == EMPTY &&
        pieceKinds[base + 2] == EMPTY && pieceKinds[base + 1] == EMPTY &&
        !isSquareAttacked<Them>(u8(base + 3), scratch)) {
        const Move m = Us == WHITE ? CASTLE_WHITE_QUEEN_SIDE : CASTLE_BLACK_QUEEN_SIDE;
        if (isLegalMove<Us>(m, info)) list.add(m);
    }
}

// ---------------------------------------------------------------------------
// The generators

template <Color Us>
void Board_0x88::genAllMoves(const CheckInfo& info, MoveList& list) {
    genEnPassant<Us>(info, list);
    genPieceMoves<Us, GEN_ALL>(info, list);
    genCastling<Us>(info, list);
}

template <Color Us>
void Board_0x88::genCaptures(const CheckInfo& info, MoveList& list) {
    genPieceMoves<Us, GEN_CAPTURES>(info, list);
}

template <Color Us>
void Board_0x88::genQsCaptures(const CheckInfo& info, MoveList& list) {
    genPieceMoves<Us, GEN_QS_CAPTURES>(info, list);
}

template <Color Us>
void Board_0x88::genQuiets(const CheckInfo& info, MoveList& list) {
    genPieceMoves<Us, GEN_QUIETS>(info, list);
}

// ---------------------------------------------------------------------------
// Counting (perft's leaves). Out of check only the king and pinned men need
// a trial: their moves, en passant and castling are generated into a scratch
// list as genAllMoves would; every other man's moves are counted by target
// squares. The answer is the count genAllMoves would leave, capped like it.

template <Color Us>
u32 Board_0x88::countSliderMoves(Square0x88 from) const {
    constexpr Color Them = Color(Us ^ 1);
    const u32 kind = pieceKinds[from];
    u32 n = 0;
    auto ray = [&](int step) {
        u8 to = u8(from + step);
        for (; onBoard(to) && pieceKinds[to] == EMPTY; to = u8(to + step)) ++n;
        if (onBoard(to) && pieceColors[to] == Them) ++n;
    };
    if (kind != BISHOP)
        for (int step : x88::orthogonalSteps) ray(step);
    if (kind != ROOK)
        for (int step : x88::diagonalSteps) ray(step);
    return n;
}

template <Color Us>
u32 Board_0x88::countLegalMoves(const CheckInfo& info) {
    MoveList tried;
    tried.count = 0;
    if (info.checkers.count != 0) {  // every move is tried
        genAllMoves<Us>(info, tried);
        return tried.count;
    }
    const Bitboard pinned = info.pinnedOrthogonal | info.pinnedDiagonal;
    const Bitboard own = colorSets[Us], enemy = colorSets[Us ^ 1], empty = ~(own | enemy);
    u32 n = 0;
    genEnPassant<Us>(info, tried);

    // Free pawns as square sets (bit = Square); a move to the last rank is
    // four promotions. A pawn on its own last rank steps off the set.
    constexpr Bitboard last = Us == WHITE ? RANK_8 : RANK_1;
    constexpr Bitboard third = Us == WHITE ? RANK_1 << 16 : RANK_8 >> 16;
    auto ahead = [](Bitboard b) { return Us == WHITE ? b << 8 : b >> 8; };
    auto addPawnTargets = [&](Bitboard to) {
        n += u32(popCount(to & ~last) + 4 * popCount(to & last));
    };
    const Bitboard pawns = pieces(PAWN, Us) & ~pinned;
    const Bitboard push = ahead(pawns) & empty;
    addPawnTargets(push);
    n += u32(popCount(ahead(push & third) & empty));
    const Bitboard westward = pawns & ~FILE_A, eastward = pawns & ~FILE_H;
    addPawnTargets((Us == WHITE ? westward << 7 : westward >> 9) & enemy);
    addPawnTargets((Us == WHITE ? eastward << 9 : eastward >> 7) & enemy);

    for (u32 slot = 0; slot < 16; ++slot) {
        const Square0x88 from = pieceLists[Us][slot];
        if (!onBoard(from)) continue;
        const u32 kind = pieceKinds[from];
        const Square s = x88::toSquare(from);
        if (kind == KING || (pinned & squareBit(s)))
            genManMoves<Us, GEN_ALL>(info, from, true, tried);
        else if (kind == KNIGHT)
            n += u32(popCount(knightAttacks[s] & ~own));
        else if (kind != PAWN)
            n += countSliderMoves<Us>(from);
    }
    genCastling<Us>(info, tried);
    n += tried.count;
    return n < MoveList::CAPACITY ? n : MoveList::CAPACITY;
}

// ---------------------------------------------------------------------------
// Losing-capture test: the same victim values and class comparison as the
// bitboard board's, but only pawn guards, and knight guards when a heavy man
// takes something small, are looked at.

template <Color Us>
bool Board_0x88::isLosingCapture(Move m, i32& victimValue) const {
    constexpr Color Them = Color(Us ^ 1);
    if (isNeverLosingMove(m, victimValue)) return false;
    const Square0x88 to = x88::moveTo(m);
    const u8 victim = pieceKinds[to];
    const u8 attacker = pieceKinds[x88::moveFrom(m)];
    victimValue = exchangeValueByKind[victim];
    const i32 victimClass = exchangeClassByKind[victim];
    if (victimClass >= exchangeClassByKind[attacker]) return false;

    auto enemy = [&](u32 sq, u32 kind) {
        return onBoard(sq) && pieceKinds[sq] == kind && pieceColors[sq] == Them;
    };
    // An enemy pawn guards `to` from one rank beyond it, seen from Us.
    if (enemy(u8(to + captureStepA<Us>()), PAWN) || enemy(u8(to + captureStepB<Us>()), PAWN))
        return true;
    const bool knightGuards = ((attacker == ROOK || attacker == QUEEN) && victim == PAWN) ||
                              (attacker == QUEEN && victimClass <= 4);
    if (!knightGuards) return false;
    for (int step : x88::knightSteps)
        if (enemy(u8(to + step), KNIGHT)) return true;
    return false;
}

// ---------------------------------------------------------------------------
// Stored-move validation. A move from the transposition table may be from
// another position, so every property that the make operations rely on is
// checked: the mover belongs to the side to move and moves that way (sliders
// need a clear path), no king is captured, and the move word carries exactly
// the flags that generation would give it.

namespace {

template <Color Us>
bool isPossibleCastling(const Board_0x88& b, Move m) {
    constexpr Color Them = Color(Us ^ 1);
    constexpr u8 base = Us == WHITE ? 0 : 112;
    const u32 variant = moveExtra(m);
    const bool kingSide = (variant & 1) == 0;
    const Move word = Us == WHITE ? (kingSide ? CASTLE_WHITE_KING_SIDE : CASTLE_WHITE_QUEEN_SIDE)
                                  : (kingSide ? CASTLE_BLACK_KING_SIDE : CASTLE_BLACK_QUEEN_SIDE);
    if (m != word || !(b.castlingRights & (1u << variant))) return false;
    const u8 king = base + 4, rook = kingSide ? base + 7 : base;
    if (b.pieceKinds[king] != KING || b.pieceColors[king] != Us) return false;
    if (b.pieceKinds[rook] != ROOK || b.pieceColors[rook] != Us) return false;
    for (u8 s = u8(kingSide ? king + 1 : rook + 1); s < (kingSide ? rook : king); ++s)
        if (b.pieceKinds[s] != EMPTY) return false;
    CheckerList scratch{};
    if (b.isSquareAttacked<Them>(king, scratch)) return false;
    return !b.isSquareAttacked<Them>(u8(kingSide ? king + 1 : king - 1), scratch);
}

template <Color Us>
bool isPossiblePawnMove(const Board_0x88& b, Move m) {
    constexpr Color Them = Color(Us ^ 1);
    const Square0x88 from = x88::moveFrom(m), to = x88::moveTo(m);
    const bool lastRank = x88::rankOf(to) == (Us == WHITE ? 7 : 0);
    const bool push = to == u8(from + pawnUp<Us>()) && b.pieceKinds[to] == EMPTY;
    const bool diagonal =
        to == u8(from + captureStepA<Us>()) || to == u8(from + captureStepB<Us>());
    const bool capture = diagonal && b.pieceColors[to] == Them;
    switch (moveKind(m)) {
        case MOVE_PROMOTION:
            return lastRank && (push || capture);
        case MOVE_EN_PASSANT: {
            if (moveExtra(m) != 0 || to != b.epSquare || b.pieceKinds[to] != EMPTY || !diagonal)
                return false;
            const u8 victim = u8(to - pawnUp<Us>());
            return b.pieceKinds[victim] == PAWN && b.pieceColors[victim] == Them;
        }
        case MOVE_NORMAL:
            if (moveExtra(m) == 1) {
                const u8 middle = u8(from + pawnUp<Us>());
                return x88::rankOf(from) == secondRank<Us>() && to == u8(middle + pawnUp<Us>()) &&
                       b.pieceKinds[middle] == EMPTY && b.pieceKinds[to] == EMPTY;
            }
            return moveExtra(m) == 0 && !lastRank && (push || capture);
        default:
            return false;
    }
}

bool reaches(const Board_0x88& b, Square0x88 from, Square0x88 to, const int* steps, int count,
             bool slide) {
    for (int i = 0; i < count; ++i) {
        for (u8 s = u8(from + steps[i]); onBoard(s); s = u8(s + steps[i])) {
            if (s == to) return true;
            if (!slide || b.pieceKinds[s] != EMPTY) break;
        }
    }
    return false;
}

}  // namespace

template <Color Us>
bool Board_0x88::isMovePseudoLegal(Move m) const {
    const Square0x88 from = x88::moveFrom(m), to = x88::moveTo(m);
    if (from == to || pieceColors[from] != Us || pieceColors[to] == Us) return false;
    if (pieceKinds[to] == KING || sideToMove != Us) return false;
    const u8 mover = pieceKinds[from];
    if (moveKind(m) == MOVE_CASTLING) return mover == KING && isPossibleCastling<Us>(*this, m);
    if (mover == PAWN) return isPossiblePawnMove<Us>(*this, m);
    if (moveKind(m) != MOVE_NORMAL || moveExtra(m) != 0) return false;
    switch (mover) {
        case KNIGHT:
            return reaches(*this, from, to, x88::knightSteps, 8, false);
        case BISHOP:
            return reaches(*this, from, to, x88::diagonalSteps, 4, true);
        case ROOK:
            return reaches(*this, from, to, x88::orthogonalSteps, 4, true);
        case QUEEN:
            return reaches(*this, from, to, x88::kingSteps, 8, true);
        case KING:
            return reaches(*this, from, to, x88::kingSteps, 8, false);
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------
// The twins

#define TALUN_INSTANTIATE_0X88_MOVEGEN(C)                                                     \
    template void Board_0x88::addMoveIfLegal<C>(MoveList&, const CheckInfo&, Square0x88,      \
                                                Square0x88, u32);                             \
    template void Board_0x88::addPromotionIfLegal<C>(MoveList&, const CheckInfo&, Square0x88, \
                                                     Square0x88, PieceKind);                  \
    template void Board_0x88::genPromotionsFrom<C>(const CheckInfo&, Square0x88, MoveList&);  \
    template void Board_0x88::genAllMoves<C>(const CheckInfo&, MoveList&);                    \
    template void Board_0x88::genCaptures<C>(const CheckInfo&, MoveList&);                    \
    template void Board_0x88::genQsCaptures<C>(const CheckInfo&, MoveList&);                  \
    template void Board_0x88::genQuiets<C>(const CheckInfo&, MoveList&);                      \
    template void Board_0x88::genEnPassant<C>(const CheckInfo&, MoveList&);                   \
    template void Board_0x88::genCastling<C>(const CheckInfo&, MoveList&);                    \
    template u32 Board_0x88::countLegalMoves<C>(const CheckInfo&);                            \
    template bool Board_0x88::isLosingCapture<C>(Move, i32&) const;                           \
    template bool Board_0x88::isMovePseudoLegal<C>(Move) const;

TALUN_INSTANTIATE_0X88_MOVEGEN(WHITE)
TALUN_INSTANTIATE_0X88_MOVEGEN(BLACK)
